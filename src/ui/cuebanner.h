#pragma once

#include <QFrame>

class QLabel;

// The large line that tells the person feeding tags what to do, readable from a step away: a
// word or two in large type on a colour, the detail below it in normal type, and a sound when
// something needs doing.
class CueBanner : public QFrame
{
    Q_OBJECT
public:
    enum class Tone {
        Idle,      // nothing runs
        Waiting,   // place a tag
        Good,      // done: take it away
        Bad,       // failed: take it away
        Attention, // the person must do something else first
    };

    explicit CueBanner(QWidget *parent = nullptr);

    // Shows the cue; sound: one beep for a good tag, two for anything that needs a look.
    void display(Tone tone, const QString &headline, const QString &detail, bool sound = false);

    QString headline() const;
    QString detail() const;
    Tone tone() const { return tone_; }
    // Beeps given so far (the offscreen platform is silent; tests count them here).
    int beeps() const { return beeps_; }

private:
    void beep(int times);

    QLabel *headline_;
    QLabel *detail_;
    Tone tone_ = Tone::Idle;
    int beeps_ = 0;
};
