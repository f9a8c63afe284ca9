// The message hook and the key rules: every application event recomputes the enabling
// rule; the period keys become a comma where a floating-point value is typed; the
// columns the user may not type into drop Delete and Backspace.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DataSource.h"
#include "FieldDataLink.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>

namespace {

// Rewrites a key event in place before it is delivered.  The key and its text are
// protected members; the member pointers reach them legally from a derived class.
struct KeyRewriter : QKeyEvent
{
    static void toComma(QKeyEvent *event)
    {
        event->*(&KeyRewriter::m_key) = Qt::Key_Comma;
        event->*(&KeyRewriter::m_text) = QStringLiteral(",");
    }
};

DBGrid *gridOf(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *grid = qobject_cast<DBGrid *>(w))
            return grid;
    }
    return nullptr;
}

// The focused control edits a floating-point field: a data control bound to one, or a
// data grid with rows whose selected field is one.
bool editsFloat(QWidget *focus)
{
    if (!focus)
        return false;
    if (DBGrid *grid = gridOf(focus)) {
        const ClientDataSet *ds = grid->dataSet();
        const Field *field = grid->selectedField();
        return ds && ds->active() && !ds->isEmpty() && field && field->dataType() == FieldType::Float;
    }
    for (QWidget *w = focus; w; w = w->parentWidget()) {
        if (const auto *link = w->findChild<FieldDataLink *>(QString(), Qt::FindDirectChildrenOnly)) {
            const Field *field = link->field();
            return field && field->dataType() == FieldType::Float;
        }
    }
    return false;
}

} // namespace

void TfrmGridCotaPrec::OnMessage(QObject *receiver, QEvent *event)
{
    Q_UNUSED(receiver)
    Habilita();
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Period || QLocale().decimalPoint() != QLatin1String(","))
        return;
    if (editsFloat(QApplication::focusWidget()))
        KeyRewriter::toComma(key);
}

void TfrmGridCotaPrec::FormKeyDown(int &key, Qt::KeyboardModifiers shift)
{
    TfrmPadraoGrid::FormKeyDown(key, shift);
    if (key != Qt::Key_Delete && key != Qt::Key_Backspace)
        return;
    DBGrid *grid = gridOf(QApplication::focusWidget());
    if (!grid || !grid->isEditorFocused())
        return;
    const Field *field = grid->selectedField();
    const ClientDataSet *ds = grid->dataSet();
    if (field && ds && field->tag() % 2 != 0 && ds->state() == DataSetState::Browse)
        key = 0;
}
