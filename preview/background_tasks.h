// Work on threads of its own, each outcome handed back to the thread the
// object lives on. When the object goes, every unfinished piece of work is
// asked to stop and waited for, so that nothing outlives the window.
#pragma once

#include <QObject>
#include <list>
#include <memory>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <utility>

namespace kelvane {

class BackgroundTasks : public QObject {
 public:
  using QObject::QObject;
  ~BackgroundTasks() override {
    for (Task& task : tasks_) task.thread.request_stop();
    tasks_.clear();  // joins each
  }

  // Runs `work(stop_token)` on a new thread, then `done(result)` here, unless
  // a stop was requested of the work by then. Returns the work's stop source.
  template <class Work, class Done>
  std::stop_source Run(Work work, Done done) {
    using Outcome = std::invoke_result_t<Work&, std::stop_token>;
    const unsigned id = ++lastId_;
    Task& task = tasks_.emplace_back(id);
    task.thread = std::jthread(
        [this, id, work = std::move(work), done = std::move(done)](std::stop_token stop) mutable {
          auto outcome = std::make_shared<Outcome>(work(stop));
          // Queued to this object: dropped unread if it is gone by then.
          QMetaObject::invokeMethod(
              this,
              [this, id, stop, outcome, done]() mutable {
                const bool wanted = !stop.stop_requested();
                Reap(id);  // which requests a stop as it joins
                if (wanted) done(std::move(*outcome));
              },
              Qt::QueuedConnection);
        });
    return task.thread.get_stop_source();
  }

  // No thread is left, not even one whose outcome is no longer wanted.
  bool idle() const { return tasks_.empty(); }

 private:
  struct Task {
    explicit Task(unsigned taskId) : id(taskId) {}
    unsigned id;
    std::jthread thread;
  };

  // Joins the thread of a task that has handed back its outcome.
  void Reap(unsigned id) {
    tasks_.remove_if([id](const Task& task) { return task.id == id; });
  }

  std::list<Task> tasks_;
  unsigned lastId_ = 0;
};

}  // namespace kelvane
