// Texts made on two threads and handed on one after another in their
// order, so that the site's files are written by the calling thread as
// they would be by one thread alone, while a second core makes the next.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pirvex::site {

// `make(index, text, lane)` fills the empty `text` for one index; lane 0 is
// the calling thread, lane 1 the second, so that each lane can keep
// scratch space of its own. Makes of different indexes run at the same
// time and must share nothing they change. `take(index, text)` gets every
// text on the calling thread, in the order of the indexes, each as soon as
// it is made; the text is given back after it.
// At most `ahead` texts are made before their turn, besides the largest:
// with `largestLast` the last text is made first, on the second thread.
// Memory that a make cannot have (std::bad_alloc) reaches the caller when
// that text's turn comes, after the second thread has ended.
void makeTextsInOrder(platform::Platform& platform, std::size_t count,
                      const std::function<void(std::size_t, std::string&, int)>& make,
                      const std::function<void(std::size_t, std::string_view)>& take,
                      bool largestLast, std::size_t ahead = 32);

}  // namespace pirvex::site
