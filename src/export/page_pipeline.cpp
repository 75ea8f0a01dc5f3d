#include "export/page_pipeline.h"

#include <algorithm>

namespace stirpex {

namespace {

// Steps under way per thread: enough that no thread waits for the calling one, few enough
// that the pages in flight stay a handful.
constexpr std::size_t kStepsPerThread = 8;

}  // namespace

unsigned PageThreads(int requested) {
  if (requested > 0) return static_cast<unsigned>(requested);
  return std::max(1u, std::thread::hardware_concurrency());
}

void PageWork::WritePage(const std::filesystem::path& dir, const std::string& name,
                         const std::string& canonical_link) {
  const std::string* page = &lines.bytes();
  const std::size_t head_end = canonical_link.empty() ? lines.size() : HeadEndLine(lines);
  if (head_end < lines.size()) {
    const std::size_t at = lines.LineStart(head_end);
    bytes.assign(*page, 0, at);
    bytes += canonical_link;
    bytes += PageLines::kLineEnd;
    bytes.append(*page, at);
    page = &bytes;
  }
  path = dir.native();
  path += '/';
  path += name;
  files.emplace_back(name, UpdateFile(path, *page));
}

PagePipeline::PagePipeline(unsigned threads, const std::filesystem::path& dir, WriteTally& tally)
    : threads_(std::max(1u, threads)),
      dir_(dir),
      tally_(tally),
      worker_work_(threads_ - 1),
      slots_(threads_ > 1 ? threads_ * kStepsPerThread : 0) {
  for (PageWork& work : worker_work_) {
    workers_.emplace_back([this, &work] { WorkerLoop(work); });
  }
}

PagePipeline::~PagePipeline() {
  try {
    Drain();
  } catch (...) {
    // Already reported by the Drain the pass made, or the pass is unwinding from it.
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void PagePipeline::Submit(Step step) {
  if (threads_ == 1) {
    own_work_.files.clear();
    step(own_work_);
    for (const auto& [name, outcome] : own_work_.files) tally_.Count(outcome, dir_, name);
    return;
  }
  {
    std::unique_lock<std::mutex> lock(mutex_);
    while (submitted_ - retired_ == slots_.size()) Advance(lock);
    if (error_) {
      lock.unlock();
      Drain();  // throws
    }
    Slot& slot = slots_[submitted_ % slots_.size()];
    slot.step = std::move(step);
    slot.files.clear();
    slot.error = nullptr;
    slot.done = false;
    ++submitted_;
  }
  work_ready_.notify_one();
}

void PagePipeline::Drain() {
  if (threads_ == 1) return;
  std::unique_lock<std::mutex> lock(mutex_);
  while (retired_ < submitted_) Advance(lock);
  if (error_) {
    std::exception_ptr error = error_;
    error_ = nullptr;
    std::rethrow_exception(error);
  }
}

void PagePipeline::Advance(std::unique_lock<std::mutex>& lock) {
  if (slots_[retired_ % slots_.size()].done) {
    RetireDone();
  } else if (taken_ < submitted_) {
    RunSlot(taken_++, own_work_, lock);
  } else {
    step_done_.wait(lock);
  }
}

void PagePipeline::RetireDone() {
  while (retired_ < submitted_) {
    Slot& slot = slots_[retired_ % slots_.size()];
    if (!slot.done) return;
    for (const auto& [name, outcome] : slot.files) tally_.Count(outcome, dir_, name);
    if (slot.error && !error_) error_ = slot.error;
    slot.step = nullptr;
    ++retired_;
  }
}

void PagePipeline::RunSlot(std::size_t n, PageWork& work, std::unique_lock<std::mutex>& lock) {
  Slot& slot = slots_[n % slots_.size()];
  Step step = std::move(slot.step);
  lock.unlock();
  work.files.clear();
  std::exception_ptr error;
  try {
    step(work);
  } catch (...) {
    error = std::current_exception();
  }
  lock.lock();
  slot.files.swap(work.files);
  slot.error = error;
  slot.done = true;
  step_done_.notify_one();
}

void PagePipeline::WorkerLoop(PageWork& work) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return stopping_ || taken_ < submitted_; });
    if (taken_ < submitted_) {
      RunSlot(taken_++, work, lock);
    } else {
      return;
    }
  }
}

}  // namespace stirpex
