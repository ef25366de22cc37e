#pragma once

#include <functional>

// Waits that keep the window responsive: a nested event loop with a timer, never a busy loop.
// Every call here belongs to the window's (the link's) thread.
namespace waits
{

// Processes pending events, then waits until done() holds or ms have passed. done() is
// tested after every event the loop handles; notify() makes a waiting loop test it at once.
void waitUntil(int ms, const std::function<bool()> &done);

// Tells every running wait to test its condition now (something it may watch has changed).
void notify();

// Ends every running wait and makes later waits return at once: the program is closing.
// Runs every cancel hook too.
void cancelAll();
bool cancelled();
void resetForTests();

// What must also end when the program closes and waits are no longer waited (a job waiting
// for the link's thread): hook runs on cancelAll(), or at once when that has happened. The
// key removes it again.
int addCancelHook(std::function<void()> hook);
void removeCancelHook(int key);

// How a wait ended: its condition held, its time ran out, or the program is closing.
enum class End { Condition, Time, Cancelled };
struct Record {
    int ms; // the time the wait was given
    End end;
    bool operator==(const Record &) const = default;
};
// Tells the watcher of every wait as it ends, so that tests check which waits
// a handler asked for, and how each ended, rather than timing it. Empty: nobody watches.
void setWatcher(std::function<void(const Record &)> watcher);

} // namespace waits
