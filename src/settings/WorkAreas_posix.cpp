// Without a desktop there is one monitor: the primary work area.
#include "settings/EdgeSnapping.h"

namespace pellumo {

void GetWorkAreas(std::vector<TRect>& list) { list.push_back(PrimaryWorkArea()); }

}  // namespace pellumo
