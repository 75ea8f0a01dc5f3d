// Building and writing the pages of a web site on several threads, with exactly the outcome of
// one thread.
//
// The calling thread hands out steps in the pass's order (a step builds and writes the pages of
// one family or person); other threads run them, and the calling thread takes their outcomes
// back in the same order, so the counts, the first failure and the manifest come out as one
// thread makes them, and a page's bytes never depend on the thread that built it. At most a
// few steps per thread are under way at once, each holding one page: memory does not grow with
// the site. While every step ahead is taken, the calling thread runs steps too.
//
// What a step may touch: it runs beside other steps, so it only reads the database, the
// settings and the style (the page builders of pages/ keep no state of their own; the note
// filter sets libxml2 up once before any thread parses) and writes files of its own. Nothing
// may change the database between Submit and the Drain that follows it: the surname index,
// which reorders the person list, runs after a Drain.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "export/site_files.h"
#include "pages/page_context.h"

namespace stirpex {

// The threads to use: requested when above 0, else std::thread::hardware_concurrency()
// (at least 1).
unsigned PageThreads(int requested);

// What a step works with: its thread's own buffers, and where it notes the files it wrote.
struct PageWork {
  PageLines lines;    // the page being built
  std::string bytes;  // its bytes as written
  std::string path;   // where they go
  // The files of this step, in the order written: name in the folder, outcome.
  std::vector<std::pair<std::string, FileUpdate>> files;

  // Writes lines (each followed by CR LF) to dir / name unless the folder holds those bytes,
  // with canonical_link (when not empty) before the first line holding "</head>".
  void WritePage(const std::filesystem::path& dir, const std::string& name,
                 const std::string& canonical_link);
};

class PagePipeline {
 public:
  using Step = std::function<void(PageWork&)>;

  // threads: how many threads run steps, the calling one included (1: every step runs at once
  // in Submit). Outcomes are counted in tally as files of dir.
  PagePipeline(unsigned threads, const std::filesystem::path& dir, WriteTally& tally);
  // Drains, then ends the threads.
  ~PagePipeline();
  PagePipeline(const PagePipeline&) = delete;
  PagePipeline& operator=(const PagePipeline&) = delete;

  // Queues the step (waiting, or running steps itself, while too many are under way).
  void Submit(Step step);
  // Returns when every step submitted has run and its outcome is counted. An exception a step
  // threw is thrown again here (or in Submit), once every step under way has ended.
  void Drain();

  unsigned threads() const { return threads_; }

 private:
  struct Slot {
    Step step;
    std::vector<std::pair<std::string, FileUpdate>> files;
    std::exception_ptr error;
    bool done = false;
  };

  void WorkerLoop(PageWork& work);
  // Runs slot number n with work; the lock is released meanwhile.
  void RunSlot(std::size_t n, PageWork& work, std::unique_lock<std::mutex>& lock);
  // Counts the outcomes of the finished steps at the head, in order.
  void RetireDone();
  // Under the lock: retires, runs a waiting step, or waits, until progress is made.
  void Advance(std::unique_lock<std::mutex>& lock);

  const unsigned threads_;
  const std::filesystem::path dir_;
  WriteTally& tally_;
  PageWork own_work_;  // the calling thread's
  std::vector<PageWork> worker_work_;
  std::vector<std::thread> workers_;
  std::vector<Slot> slots_;  // a ring of steps under way
  std::size_t submitted_ = 0, taken_ = 0, retired_ = 0;
  std::exception_ptr error_;
  bool stopping_ = false;
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable step_done_;
};

}  // namespace stirpex
