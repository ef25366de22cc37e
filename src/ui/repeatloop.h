#pragma once

#include <QCheckBox>
#include <functional>

class ReaderLink;

// The continuous-operation mechanism of the repeat check boxes: while the box stays ticked,
// run the operation, then pause (pause() + extraMs) with a plain or a reply-aware wait. The
// loop lives in the box's click handler; the waits process events, so the user can untick
// the box (the loop ends after that wait) or start another loop inside this one's wait.
struct RepeatBox {
    enum class Wait { Plain, ReplyAware };

    // The operation button's handler, called directly, so that an error it raises ends the
    // loop (the guard around the box shows it).
    std::function<void()> operation;
    std::function<int()> pause; // may throw UserError: a message box, and the loop ends
    int extraMs = 0;
    Wait wait = Wait::Plain;
};

// Connects box's click to the loop. The loop ends when the program closes.
void bindRepeat(QCheckBox *box, ReaderLink &link, RepeatBox repeat);

// Runs the loop now (what a click on a ticked box does).
void runRepeat(QCheckBox *box, ReaderLink &link, const RepeatBox &repeat);
