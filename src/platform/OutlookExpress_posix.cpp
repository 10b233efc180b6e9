// Without a desktop there is no mail client in front.
#include "platform/OutlookExpress.h"

namespace pellumo {

bool IsOutlookExpressActive() { return false; }

}  // namespace pellumo
