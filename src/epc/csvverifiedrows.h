#pragma once

#include "epc/verifiedrows.h"

namespace epc
{

// The verified rows of a CSV journal file, read front to back from the file mapped, so that
// a long journal costs one pass and no copy. A batch may be appending to the file meanwhile:
// what is read is the rows complete at that moment (a cut last line is left out).
class CsvVerifiedRows : public VerifiedRows
{
public:
    // Throws UserError when path is not there or is no regular file.
    explicit CsvVerifiedRows(const QString &path);

    QString name() const override { return path_; }
    void forEach(const std::optional<QDateTime> &since,
                 const std::function<void(const VerifiedTag &)> &each) const override;

    // forEach over the text of a journal, named name in messages.
    static void forEachIn(QByteArrayView journalText, const QString &name, const std::optional<QDateTime> &since,
                          const std::function<void(const VerifiedTag &)> &each);

private:
    QString path_;
};

} // namespace epc
