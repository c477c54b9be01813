// The worker every waiting call runs on: order, bounded waits, answers given up on, and an end
// that leaves work running on its own.
#include "base/SerialWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace tastiva {
namespace {

using namespace std::chrono_literals;

// A task that holds the worker until released, as a call to a stopped server would.
struct Gate {
  std::promise<void> open;
  std::shared_future<void> opened = open.get_future().share();
  SerialWorker::Task Hold() {
    return [f = opened] { f.wait(); };
  }
};

TEST(SerialWorker, RunsInOrderTimedOnesWhenDueAndAGivenUpTaskMakesItStuckUntilItEnds) {
  SerialWorker worker;
  std::vector<int> order;
  worker.PostAt(SerialWorker::Clock::now() + 50ms, [&] { order.push_back(3); });
  worker.Post([&] { order.push_back(1); });
  EXPECT_TRUE(worker.Run([&] { order.push_back(2); }, 1s));  // not held back by the timed one
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  Gate gate;
  EXPECT_FALSE(worker.Run(gate.Hold(), 20ms));
  EXPECT_TRUE(worker.Stuck());
  gate.open.set_value();
  EXPECT_TRUE(worker.Run([] {}, 1s));
  EXPECT_FALSE(worker.Stuck());
  std::this_thread::sleep_for(60ms);  // the timed one is due
  EXPECT_TRUE(worker.Run([&] { order.push_back(4); }, 1s));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST(SerialWorker, AnAnswerGivenUpOnIsDroppedWhereItIsGivenAndFailuresReachTheWaiter) {
  SerialWorker worker;
  Gate gate;
  std::atomic<std::thread::id> droppedOn{};
  struct Noted {
    std::atomic<std::thread::id>* where;
    ~Noted() { where->store(std::this_thread::get_id()); }
  };
  worker.Post(gate.Hold());
  const auto late = worker.Ask([&] { return std::make_shared<Noted>(Noted{&droppedOn}); });
  EXPECT_FALSE(late.AwaitOrAbandon(10ms));
  EXPECT_TRUE(worker.Stuck());
  std::thread::id workerThread;
  worker.Post([&] { workerThread = std::this_thread::get_id(); });
  gate.open.set_value();
  EXPECT_TRUE(worker.Run([] {}, 1s));
  EXPECT_EQ(droppedOn.load(), workerThread);
  EXPECT_NE(workerThread, std::this_thread::get_id());

  const auto kept = worker.Ask([] { return 7; });
  EXPECT_EQ(kept.Await(1s), 7);
  EXPECT_EQ(kept.Await(0s), std::nullopt);  // taken once
  const auto failing = worker.Ask([]() -> int { throw std::runtime_error("no server"); });
  EXPECT_THROW(failing.Await(), std::runtime_error);
}

TEST(SerialWorker, DestroyedItWaitsItsBoundAndLeavesTheRestToEndOnItsOwn) {
  Gate gate;
  auto ended = std::make_shared<std::atomic<bool>>(false);
  const auto start = SerialWorker::Clock::now();
  {
    SerialWorker worker(30ms);
    worker.Post(gate.Hold());
    worker.Post([ended] { ended->store(true); });
  }
  EXPECT_LT(SerialWorker::Clock::now() - start, 1s);
  EXPECT_FALSE(ended->load());
  gate.open.set_value();
  for (int i = 0; i < 200 && !ended->load(); ++i) std::this_thread::sleep_for(5ms);
  EXPECT_TRUE(ended->load());
}

}  // namespace
}  // namespace tastiva
