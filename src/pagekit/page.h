#pragma once

#include <QScrollArea>
#include <QWidget>

class PageHost;

// A tab sheet. The controls go into body(); the sheet scrolls when they need more room than
// the page control gives, so nothing is ever clipped. A page makes its controls in build():
// at once when its constructor calls ensureBuilt(), otherwise on its first show, so a page
// nobody opens costs no memory.
class Page : public QWidget
{
    Q_OBJECT
public:
    Page(const char *name, PageHost &host, QWidget *parent = nullptr);

    // The caption of the page's tab.
    virtual QString caption() const = 0;

    // Makes the controls now if they are not made yet.
    void ensureBuilt();
    bool isBuilt() const { return built_; }

protected:
    virtual void build() = 0;
    void showEvent(QShowEvent *event) override;

    QWidget *body() const { return body_; }
    PageHost &host() const { return host_; }

private:
    PageHost &host_;
    QWidget *body_;
    bool built_ = false;
};
