#pragma once

#include <atomic>

// Set as the last step of a worker thread's body and tested after waiting for the thread,
// so that everything the thread did is ordered before what the waiter does next in a way
// the race checker can see (the wait inside the framework is invisible to it).
class ExitFlag
{
public:
    void set() { done_.store(true, std::memory_order_release); }
    bool isSet() const { return done_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> done_{false};
};

// Sets the flag when the body's scope ends, however it ends.
class ExitMark
{
public:
    explicit ExitMark(ExitFlag &flag) : flag_(flag) {}
    ~ExitMark() { flag_.set(); }
    ExitMark(const ExitMark &) = delete;
    ExitMark &operator=(const ExitMark &) = delete;

private:
    ExitFlag &flag_;
};
