#include "PageControl.h"

#include "EventGuard.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

PageControl::PageControl(QWidget *parent)
    : QWidget(parent), m_tabBar(new QTabBar(this)), m_stack(new QStackedWidget(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_tabBar->setObjectName(QStringLiteral("tabBar"));
    m_tabBar->setExpanding(false);
    m_tabBar->setDrawBase(true);
    m_stack->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_tabBar);
    layout->addWidget(m_stack, 1);
    connect(m_tabBar, &QTabBar::currentChanged, this, &PageControl::userPickedTab);
    updateTabBar();
}

int PageControl::addPage(QWidget *page, const QString &caption)
{
    m_syncing = true;
    m_pages.append(Page{page, true, true});
    m_stack->addWidget(page);
    m_tabBar->addTab(caption);
    m_syncing = false;
    if (m_active < 0)
        showPage(0);
    updateTabBar();
    return int(m_pages.size()) - 1;
}

QWidget *PageControl::page(int index) const
{
    return index >= 0 && index < m_pages.size() ? m_pages.at(index).widget : nullptr;
}

int PageControl::indexOf(const QWidget *page) const
{
    for (int i = 0; i < m_pages.size(); ++i)
        if (m_pages.at(i).widget == page)
            return i;
    return -1;
}

QWidget *PageControl::activePage() const
{
    return page(m_active);
}

void PageControl::setActivePage(QWidget *page)
{
    setActivePageIndex(indexOf(page));
}

void PageControl::setActivePageIndex(int index)
{
    if (index < 0 || index >= m_pages.size())
        return;
    showPage(index);
}

void PageControl::showPage(int index)
{
    m_syncing = true;
    m_stack->setCurrentIndex(index);
    if (m_tabBar->currentIndex() != index)
        m_tabBar->setCurrentIndex(index);
    m_syncing = false;
    const bool changed = m_active != index;
    m_active = index;
    if (changed)
        emit currentChanged(index);
}

void PageControl::userPickedTab(int index)
{
    if (m_syncing || index < 0 || index == m_active)
        return;
    bool allow = m_pages.at(index).enabled;
    if (allow && onChanging)
        allow = EventGuard::run([this, &allow] { onChanging(allow); }) && allow;
    if (!allow) {
        m_syncing = true;
        m_tabBar->setCurrentIndex(m_active);
        m_syncing = false;
        return;
    }
    showPage(index);
    if (onChange)
        EventGuard::run(onChange);
}

bool PageControl::isTabVisible(const QWidget *page) const
{
    const int i = indexOf(page);
    return i >= 0 && m_pages.at(i).tabVisible;
}

void PageControl::setTabVisible(QWidget *page, bool visible)
{
    const int i = indexOf(page);
    if (i < 0)
        return;
    m_pages[i].tabVisible = visible;
    // Hiding the active page's tab moves the tab bar, not the page.
    m_syncing = true;
    m_tabBar->setTabVisible(i, visible);
    m_syncing = false;
    updateTabBar();
}

bool PageControl::isPageEnabled(const QWidget *page) const
{
    const int i = indexOf(page);
    return i >= 0 && m_pages.at(i).enabled;
}

void PageControl::setPageEnabled(QWidget *page, bool enabled)
{
    const int i = indexOf(page);
    if (i < 0)
        return;
    m_pages[i].enabled = enabled;
    page->setEnabled(enabled);
    m_tabBar->setTabEnabled(i, enabled);
}

QString PageControl::caption(const QWidget *page) const
{
    const int i = indexOf(page);
    return i >= 0 ? m_tabBar->tabText(i) : QString();
}

void PageControl::setCaption(QWidget *page, const QString &caption)
{
    const int i = indexOf(page);
    if (i >= 0)
        m_tabBar->setTabText(i, caption);
}

void PageControl::updateTabBar()
{
    const bool anyVisible = std::any_of(m_pages.cbegin(), m_pages.cend(),
                                        [](const Page &p) { return p.tabVisible; });
    m_tabBar->setVisible(anyVisible);
    if (m_active >= 0 && m_tabBar->currentIndex() != m_active) {
        m_syncing = true;
        m_tabBar->setCurrentIndex(m_active);
        m_syncing = false;
    }
}
