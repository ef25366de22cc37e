#include "ui/diagnosiswindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QThread>
#include <QVBoxLayout>
#include <exception>

namespace
{

// The checks never throw by design; should one still, the window says so instead of ending.
QList<diag::Finding> runGuarded(const DiagnosisWindow::Checks &checks)
{
    try {
        return checks();
    } catch (const std::exception &e) {
        diag::Finding f;
        f.severity = diag::Severity::Error;
        f.check = QStringLiteral("checks-failed");
        f.summary = QStringLiteral("The checks stopped half-way: %1").arg(QString::fromLocal8Bit(e.what()));
        f.fix << QStringLiteral("Press \"Check again\".");
        return {f};
    }
}

// The report's severities in colour and its commands in bold, so that the eye finds both.
class ReportHighlighter : public QSyntaxHighlighter
{
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString &line) override
    {
        static const QRegularExpression severity(QStringLiteral("^(error|warning|info|ok):"));
        static const QRegularExpression command(QStringLiteral("^(  fix: |       )  (\\S.*)$"));
        if (const auto m = severity.match(line); m.hasMatch()) {
            const struct {
                const char *name;
                QColor colour;
            } looks[] = {{"error", QColor(190, 30, 30)},
                         {"warning", QColor(176, 100, 0)},
                         {"info", QColor(40, 90, 170)},
                         {"ok", QColor(30, 130, 50)}};
            QTextCharFormat format;
            format.setFontWeight(QFont::Bold);
            for (const auto &look : looks)
                if (m.captured(1) == QLatin1String(look.name))
                    format.setForeground(look.colour);
            setFormat(0, int(m.capturedLength(0)), format);
        } else if (const auto c = command.match(line); c.hasMatch()) {
            QTextCharFormat format;
            format.setFontWeight(QFont::Bold);
            setFormat(int(c.capturedStart(2)), int(c.capturedLength(2)), format);
        }
    }
};

} // namespace

DiagnosisWindow::DiagnosisWindow(Checks checks, QWidget *parent) : QDialog(parent), checks_(std::move(checks))
{
    setObjectName(QStringLiteral("DiagnoseConnection"));
    setWindowTitle(QStringLiteral("Diagnose connection"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    resize(760, 480);

    verdictLabel = new QLabel(this);
    verdictLabel->setObjectName(QStringLiteral("DiagnoseVerdict"));
    QFont bold = verdictLabel->font();
    bold.setBold(true);
    verdictLabel->setFont(bold);

    report = new QPlainTextEdit(this);
    report->setObjectName(QStringLiteral("DiagnoseReport"));
    report->setReadOnly(true);
    report->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // The commands line up as a terminal shows them.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(qMax(fixed.pointSize(), 10));
    report->setFont(fixed);
    report->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    new ReportHighlighter(report->document());

    againButton = new QPushButton(QStringLiteral("Check again"), this);
    againButton->setObjectName(QStringLiteral("DiagnoseAgain"));
    copyButton = new QPushButton(QStringLiteral("Copy commands"), this);
    copyButton->setObjectName(QStringLiteral("DiagnoseCopy"));
    copyButton->setToolTip(QStringLiteral("Copies the fix commands; select any part of the report to copy it"));
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("DiagnoseClose"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(againButton);
    buttons->addWidget(copyButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(verdictLabel);
    layout->addWidget(report, 1);
    layout->addLayout(buttons);

    connect(againButton, &QPushButton::clicked, this, &DiagnosisWindow::runChecks);
    connect(copyButton, &QPushButton::clicked, this, &DiagnosisWindow::copyCommands);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    runChecks();
}

DiagnosisWindow::~DiagnosisWindow()
{
    if (thread_)
        thread_->wait();
}

void DiagnosisWindow::runChecks()
{
    if (running_)
        return;
    running_ = true;
    againButton->setEnabled(false);
    copyButton->setEnabled(false);
    verdictLabel->setText(QStringLiteral("Checking the readers, the udev rule and the serial ports..."));
    if (thread_)
        thread_->wait(); // the last run has delivered already; its thread is ending
    thread_.reset(QThread::create([this, checks = checks_] {
        const QList<diag::Finding> found = runGuarded(checks);
        // Dropped by Qt when the window is gone by then.
        QMetaObject::invokeMethod(
            this, [this, found] { showFindings(found); }, Qt::QueuedConnection);
    }));
    thread_->start();
}

void DiagnosisWindow::showFindings(const QList<diag::Finding> &findings)
{
    running_ = false;
    findings_ = findings;
    verdictLabel->setText(diag::verdict(findings));
    report->setPlainText(diag::formatReport(findings));
    againButton->setEnabled(true);
    copyButton->setEnabled(!commands().isEmpty());
    emit checked();
}

QString DiagnosisWindow::commands() const
{
    QStringList all;
    for (const diag::Finding &f : findings_)
        all << diag::fixCommands(f);
    return all.join(QLatin1Char('\n'));
}

void DiagnosisWindow::copyCommands()
{
    QApplication::clipboard()->setText(commands());
}
