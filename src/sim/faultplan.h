#pragma once

#include <cstdint>

// A one-shot fault a trainer arms: the next command, USB or serial, fails, goes unanswered
// or gets a damaged status. Whichever side receives the next command consumes it.
class FaultPlan
{
public:
    enum class Kind { None, Fail, Silent, Damage };

    void failNextWith(uint8_t code)
    {
        kind_ = Kind::Fail;
        code_ = code;
    }
    void silenceNext() { kind_ = Kind::Silent; }
    // The next reply carries a status that is neither success nor failure.
    void damageNext() { kind_ = Kind::Damage; }
    void clear() { kind_ = Kind::None; }

    Kind armed() const { return kind_; }
    uint8_t code() const { return code_; }

    // Returns the armed fault and disarms it.
    Kind take()
    {
        const Kind k = kind_;
        kind_ = Kind::None;
        return k;
    }

private:
    Kind kind_ = Kind::None;
    uint8_t code_ = 0;
};
