#pragma once

#include <QDialog>

class QComboBox;
class QPlainTextEdit;
class QSortFilterProxyModel;
class QTableView;
class TraceLog;

// "Frame trace": every exchange of this run, live and decoded, filterable by command family,
// copyable and savable as text.
class TraceWindow : public QDialog
{
    Q_OBJECT
public:
    TraceWindow(TraceLog &log, QWidget *parent = nullptr);

    // The lines shown now (after the filter), as text; only the selected ones when some are.
    QString text(bool selectedOnly) const;
    void copyToClipboard();
    void saveAs();

    QComboBox *familyFilter;
    QTableView *table;
    QPlainTextEdit *details; // the selected exchange, whole

private:
    TraceLog &log_;
    QSortFilterProxyModel *filtered_;
};
