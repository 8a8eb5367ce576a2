#include <exception>
#include <memory>

#include "platform/win32/forms_win32.h"
#include "platform/win32/services_win32.h"

namespace platform::win32 {
namespace {

struct Job {
  std::function<void()> work;
  std::exception_ptr error;  // what the work threw, for the window's thread
  ScopedHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

// One thread that does one job at a time. A worker whose job was given up
// finishes it unseen and is not used again; that happens only as the
// program ends, so it is never freed.
class Worker {
 public:
  static Worker* Start() {
    auto* worker = new Worker;
    if (!worker->ready_.get()) {
      delete worker;
      return nullptr;
    }
    const ScopedHandle thread(CreateThread(nullptr, 0, &Worker::Main, worker, 0, nullptr));
    if (!thread.get()) {
      delete worker;
      return nullptr;
    }
    return worker;
  }
  void Hand(std::shared_ptr<Job> job) {
    job_ = std::move(job);
    SetEvent(ready_.get());  // a full barrier: the thread sees job_
  }

 private:
  static DWORD WINAPI Main(void* self) {
    auto* worker = static_cast<Worker*>(self);
    for (;;) {
      WaitForSingleObject(worker->ready_.get(), INFINITE);
      const std::shared_ptr<Job> job = std::move(worker->job_);
      // No exception may end the thread, and with it the program: it is
      // thrown again where the work was asked for, as if done there.
      try {
        job->work();
      } catch (...) {
        job->error = std::current_exception();
      }
      SetEvent(job->done.get());
    }
  }

  ScopedHandle ready_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
  std::shared_ptr<Job> job_;
};

Worker* g_worker = nullptr;  // the window's thread alone hands out jobs
bool g_gaveUp = false;

}  // namespace

bool WinBackground::Run(std::function<void()> work, const std::function<bool()>& wanted) {
  auto job = std::make_shared<Job>();
  job->work = std::move(work);
  if (!g_worker) g_worker = Worker::Start();
  if (!job->done.valid() || !job->done.get() || !g_worker) {
    // No thread to be had: done here, as it was before there were any.
    job->work();
    return true;
  }
  g_worker->Hand(job);
  const HANDLE done = job->done.get();
  const auto finished = [&job] {
    if (job->error) std::rethrow_exception(job->error);
    return true;
  };
  // The queue is looked at as often as the progress bar is painted, messages
  // or not: a wait that no message ends for seconds must still count as the
  // window answering.
  constexpr DWORD kLookInterval = 40;
  for (;;) {
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(1, &done, kLookInterval, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) return finished();
    if (!RunWaitingMessages() || !wanted()) break;
    if (WaitForSingleObject(done, 0) == WAIT_OBJECT_0) return finished();
  }
  // Given up: the worker keeps the job to its end, and the next job gets a
  // worker of its own.
  g_worker = nullptr;
  g_gaveUp = true;
  return false;
}

int EndProgram(int exitCode) {
  // Work given up as the program ended (a search on a share that dropped)
  // may still run on its own thread: the process ends here, before the
  // program's static objects go from under it.
  if (g_gaveUp) ExitProcess(static_cast<UINT>(exitCode));
  return exitCode;
}

}  // namespace platform::win32
