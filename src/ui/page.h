#pragma once

#include <QScrollArea>
#include <QWidget>

class PageHost;

// A tab sheet. The controls go into body(); the sheet scrolls when they need more room than
// the page control gives, so nothing is ever clipped.
class Page : public QWidget
{
    Q_OBJECT
public:
    Page(const char *name, PageHost &host, QWidget *parent = nullptr);

    // The caption of the page's tab.
    virtual QString caption() const = 0;

protected:
    QWidget *body() const { return body_; }
    PageHost &host() const { return host_; }

private:
    PageHost &host_;
    QWidget *body_;
};
