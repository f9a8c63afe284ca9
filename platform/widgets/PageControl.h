#pragma once

#include <QList>
#include <QWidget>

#include <functional>

class QStackedWidget;
class QTabBar;

// Pages with tabs.  A page's tab can be hidden while the page itself stays in the
// control and can still be made active by the program (a page reached only through a
// command); with every tab hidden the tab row disappears.  A disabled page cannot be
// chosen by its tab and its controls are disabled.
//
// When the user picks another tab, onChanging runs first and may refuse (set allow to
// false, or throw); then the page changes and onChange runs.  Changing the active page
// from the program runs neither, as forms call their change handler themselves.
class PageControl : public QWidget
{
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);

    int addPage(QWidget *page, const QString &caption);
    int pageCount() const { return int(m_pages.size()); }
    QWidget *page(int index) const;
    int indexOf(const QWidget *page) const;

    QWidget *activePage() const;
    int activePageIndex() const { return m_active; }
    void setActivePage(QWidget *page);
    void setActivePageIndex(int index);

    bool isTabVisible(const QWidget *page) const;
    void setTabVisible(QWidget *page, bool visible);
    bool isPageEnabled(const QWidget *page) const;
    void setPageEnabled(QWidget *page, bool enabled);
    QString caption(const QWidget *page) const;
    void setCaption(QWidget *page, const QString &caption);

    QTabBar *tabBar() const { return m_tabBar; }

    std::function<void(bool &allowChange)> onChanging;
    std::function<void()> onChange;

signals:
    // The active page changed, by the user or by the program.
    void currentChanged(int index);

private:
    struct Page
    {
        QWidget *widget = nullptr;
        bool tabVisible = true;
        bool enabled = true;
    };

    void userPickedTab(int index);
    void showPage(int index);
    void updateTabBar();

    QTabBar *m_tabBar;
    QStackedWidget *m_stack;
    QList<Page> m_pages;
    int m_active = -1;
    bool m_syncing = false;
};
