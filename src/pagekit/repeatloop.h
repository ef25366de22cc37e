#pragma once

#include <QCheckBox>
#include <QString>
#include <functional>

class PageHost;
class ReaderLink;

// The continuous-operation mechanism of the repeat check boxes: while the box stays ticked,
// run the operation, then pause (pause() + extraMs) with a plain or a reply-aware wait. The
// loop lives in the box's click handler; the waits process events, so the user can untick
// the box (the loop ends after that wait) or start another loop inside this one's wait.
// A pass whose exchange could not reach the reader unticks the box and ends the loop with a
// line saying why.
struct RepeatBox {
    enum class Wait { Plain, ReplyAware };

    // The operation button's handler, called directly, so that an error it raises ends the
    // loop (the guard around the box shows it).
    std::function<void()> operation;
    std::function<int()> pause; // may throw UserError: a message box, and the loop ends
    int extraMs = 0;
    Wait wait = Wait::Plain;
    // Where the line goes that says why the loop ended by itself (the reader went away).
    std::function<void(const QString &)> log = {};
    // The loop's name in that line: "<name> stopped. <why>".
    QString name = QStringLiteral("Repeat");
    // The box's captions while it is ticked and while it is not ("Stop card" / "Automatic
    // card"), kept up to date with every change of the box; empty: the caption never changes.
    QString tickedCaption = {};
    QString untickedCaption = {};
    // An error that ends the loop unticks the box too, so that it no longer says it repeats.
    bool untickOnError = false;
};

// Connects box's click to the loop. The loop ends when the program closes.
void bindRepeat(QCheckBox *box, ReaderLink &link, RepeatBox repeat);

// What a change of the box does: its caption follows; ticked, the loop runs until it is
// unticked. A change made inside the loop's wait (unticking it) only sets the caption, and the
// loop ends after its pass.
void repeatBoxChanged(QCheckBox *box, ReaderLink &link, const RepeatBox &repeat);

// Runs the loop now (what a click on a ticked box does).
void runRepeat(QCheckBox *box, ReaderLink &link, const RepeatBox &repeat);

// pause + extra as one wait, kept within what a wait takes (a huge pause cannot overflow).
int repeatWaitMs(int pause, int extraMs);

// The repeat boxes of the tool. A page names its box by one of these; the box's row of the
// repeat table follows from it, never from the box's object name.
enum class RepeatBoxId {
    RawSend,          // the raw terminal's automatic send
    S50Read,          // S50/S70: read blocks
    S50Write,         // S50/S70: write blocks
    S50CardNumber,    // S50/S70: read the card number
    S50WriteRead,     // S50/S70: write, then read back
    UltralightSerial, // Ultralight: read the serial number
    UltralightRead,   // Ultralight: read four pages
    UltralightWrite,  // Ultralight: write one page
    TypeBRequest,     // ISO14443B: card request
    IdNumber,         // ISO14443B: the identity card's ID number
    IdFileId,         // ISO14443B: the identity card's file ID
    IsoInventory,     // ISO15693: inventory
    IsoRead,          // ISO15693: read blocks
    IsoWrite,         // ISO15693: write blocks
};

// A row of the repeat table: the box's object name and caption, extra time and kind of wait.
struct RepeatDef {
    const char *box;
    const char *caption; // UTF-8
    int extraMs;
    RepeatBox::Wait wait;
    bool endsOnTabChange; // a change of tab unticks the box
};
const RepeatDef &repeatDef(RepeatBoxId box);

// The RepeatBox of a row with its operation and its pause field.
RepeatBox repeatRow(RepeatBoxId box, std::function<void()> operation, std::function<int()> pause);

// Creates a card page's repeat box with its object name and caption and binds it: the pause is
// the HF pause of the link's settings (the system page's wait field), extra time, wait and the
// end on a tab change come from the box's row. With second, one pass is "operation, a plain
// wait of the pause and extra time, second" (write, then read back).
QCheckBox *repeatBox(RepeatBoxId box, PageHost &host, std::function<void()> operation, QWidget *parent = nullptr,
                     std::function<void()> second = {});
