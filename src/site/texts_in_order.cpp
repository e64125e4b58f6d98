#include "site/texts_in_order.h"

#include <atomic>
#include <memory>
#include <new>
#include <vector>

namespace pirvex::site {
namespace {

constexpr std::size_t None = static_cast<std::size_t>(-1);

struct Shared {
  Shared(std::size_t texts, bool lastFirst, std::size_t maxAhead,
         const std::function<void(std::size_t, std::string&, int)>& maker)
      : count(texts),
        claimable(lastFirst && texts > 0 ? texts - 1 : texts),
        largestLast(lastFirst && texts > 0),
        ahead(maxAhead),
        make(maker),
        text(texts),
        failed(texts, 0),
        done(std::make_unique<std::atomic<bool>[]>(texts)) {}

  const std::size_t count;
  const std::size_t claimable;  // the texts claimed in their order
  const bool largestLast;
  const std::size_t ahead;
  const std::function<void(std::size_t, std::string&, int)>& make;
  std::vector<std::string> text;
  std::vector<char> failed;  // set before `done`, read after it
  std::unique_ptr<std::atomic<bool>[]> done;
  std::atomic<std::size_t> next{0};   // the next text in order to claim
  std::atomic<bool> lastClaimed{false};
  std::atomic<std::size_t> taken{0};  // texts handed on so far
  std::atomic<bool> secondEnded{true};

  // Each text is claimed by one thread only. The second thread claims the
  // largest first; the calling thread takes it last, when nothing else is
  // left.
  std::size_t claim(bool second) {
    if (largestLast && second && !lastClaimed.exchange(true)) return count - 1;
    // The counter runs past the end by a claim or two per start, no more.
    const std::size_t index = next.fetch_add(1);
    if (index < claimable) return index;
    if (largestLast && !lastClaimed.exchange(true)) return count - 1;
    return None;
  }

  void makeOne(std::size_t index, int lane) {
    try {
      make(index, text[index], lane);
    } catch (...) {
      failed[index] = 1;
    }
    done[index].store(true, std::memory_order_release);
  }

  // The largest is the second thread's first claim, so what is left is in
  // the counter's range.
  bool unclaimedLeft() const { return next.load() < claimable; }
};

// The second thread: claims texts while it is not too far ahead of the
// texts handed on, then ends; the calling thread starts it again when
// there is room.
void makeBeside(void* argument) {
  Shared& shared = *static_cast<Shared*>(argument);
  for (;;) {
    const bool largestWaiting = shared.largestLast && !shared.lastClaimed.load();
    if (!largestWaiting && shared.next.load() >= shared.taken.load() + shared.ahead) break;
    const std::size_t index = shared.claim(true);
    if (index == None) break;
    shared.makeOne(index, 1);
  }
  shared.secondEnded.store(true, std::memory_order_release);
}

// Waits for the second thread wherever the calling thread leaves, so that
// it never outlives what it works on.
class SecondThread {
 public:
  SecondThread(platform::Platform& platform, Shared& shared) : platform_(platform), shared_(shared) {}
  SecondThread(const SecondThread&) = delete;
  SecondThread& operator=(const SecondThread&) = delete;
  ~SecondThread() { await(); }

  void start() {
    await();
    shared_.secondEnded.store(false);
    running_ = true;
    platform_.startWork(work_, makeBeside, &shared_);
  }
  void await() {
    if (!running_) return;
    platform_.awaitWork(work_);
    running_ = false;
  }
  bool ended() const { return !running_ || shared_.secondEnded.load(std::memory_order_acquire); }

 private:
  platform::Platform& platform_;
  Shared& shared_;
  platform::Work work_;
  bool running_ = false;
};

}  // namespace

void makeTextsInOrder(platform::Platform& platform, std::size_t count,
                      const std::function<void(std::size_t, std::string&, int)>& make,
                      const std::function<void(std::size_t, std::string_view)>& take,
                      bool largestLast, std::size_t ahead) {
  Shared shared(count, largestLast, ahead, make);
  SecondThread second(platform, shared);
  second.start();
  for (std::size_t index = 0; index < count; ++index) {
    // While its turn's text is still being made on the second thread, this
    // thread makes the next unclaimed one; with none left, it waits.
    while (!shared.done[index].load(std::memory_order_acquire)) {
      const std::size_t other = shared.claim(false);
      if (other != None)
        shared.makeOne(other, 0);
      else
        second.await();
    }
    if (shared.failed[index]) throw std::bad_alloc();
    take(index, shared.text[index]);
    std::string().swap(shared.text[index]);
    shared.taken.store(index + 1);
    if (second.ended() && shared.unclaimedLeft()) second.start();
  }
}

}  // namespace pirvex::site
