#pragma once

// A manual-reset event on an eventfd: once set it stays set, so every wait that includes it
// ends at once from then on.
class CloseEvent
{
public:
    CloseEvent();
    ~CloseEvent();
    CloseEvent(const CloseEvent &) = delete;
    CloseEvent &operator=(const CloseEvent &) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void set();
    bool isSet() const;

private:
    int fd_;
};
