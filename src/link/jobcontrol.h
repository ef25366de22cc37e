#pragma once

class ExchangePort;

// What a job sees of the runner it runs on, from the job's thread: the reader, the runner's
// stop flag and a pause that stop and wake end early.
class JobControl
{
public:
    virtual ~JobControl() = default;

    virtual ExchangePort &port() = 0;
    // Whether the job is asked to end (stopped, the program is closing, the link or its
    // window is going away): it ends at its next good place, and finds the port closed meanwhile.
    virtual bool stopRequested() const = 0;
    // Waits up to ms, less when the runner is woken or stopped meanwhile. Never spins.
    virtual void pause(int ms) = 0;
};
