#pragma once
// Which text of a parsed message the popup shows (BodyPreview, declared with
// the message), and, from the same rules, what a reading for a preview or
// for the sender and subject needs and when it may stop
// (ReadPreviewFromStream and ReadNamesFromStream, declared with the message).
#include <cstddef>
#include <string>

#include "content/MimeMessage.h"

namespace pellumo {

// Containers and enclosed messages nest no deeper than this in any message
// worth previewing: what lies deeper shows nothing.
const int kMaxPreviewDepth = 32;

// More than any popup keeps of a body (the notification queue's bound).
const size_t kLongestPreviewBytes = 32 * 1024;
// Past this many bytes from its end, the text of a part read only in part is
// that of the whole part: a character cut off by the stop, a reference or
// tag not yet closed, change no more than the last few bytes.
const size_t kUnsettledTailBytes = 4 * 1024;

}  // namespace pellumo
