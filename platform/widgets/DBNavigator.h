#pragma once

#include <QFlags>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class ClientDataSet;
class DataSource;
class QToolButton;

// A row of buttons that move through and edit the dataset of a data source: first,
// prior, next, last, insert, delete, edit, post, cancel, refresh.  Each button is
// enabled only when its action makes sense in the dataset's state and position.
class DBNavigator : public QWidget
{
    Q_OBJECT

public:
    enum Button {
        First = 0x1, Prior = 0x2, Next = 0x4, Last = 0x8, Insert = 0x10,
        Delete = 0x20, Edit = 0x40, Post = 0x80, Cancel = 0x100, Refresh = 0x200,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
    static constexpr Buttons AllButtons = Buttons(0x3ff);

    explicit DBNavigator(QWidget *parent = nullptr);

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    Buttons visibleButtons() const { return m_visible; }
    void setVisibleButtons(Buttons buttons);
    QToolButton *button(Button which) const;
    // Presses a button as the user would (nothing when it is disabled).
    void click(Button which);

    // Runs before the button's action; throwing refuses it.
    std::function<void(Button button)> beforeAction;
    // Runs after the button's action (Refresh has no action of its own).
    std::function<void(Button button)> onClick;
    // Asked before Delete; without it the record is deleted at once.
    std::function<bool()> confirmDelete;

public slots:
    void updateButtons();

protected:
    void changeEvent(QEvent *event) override;

private:
    ClientDataSet *dataSet() const;
    void perform(Button which);

    QPointer<DataSource> m_source;
    Buttons m_visible = AllButtons;
    std::array<QToolButton *, 10> m_buttons{};
    QList<QMetaObject::Connection> m_connections;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DBNavigator::Buttons)
