#pragma once

#include "TfrmRotiGeral.h"

class DecisionGrid;
class MaskEdit;
class QComboBox;
class QGroupBox;
class QRadioButton;

// The find-cell dialog "Procurar" (screen code SUP05217): searches the row headers of the
// consultation sheet's grid for a product by code or by name, identical, as a prefix or
// as a part, and moves the grid to the first matching row below the last match.  It
// stays open: confirming again finds the next match.  Changing the text, the field or the
// match type starts again from the top.
class TfrmGridProcuraCell : public TfrmRotiGeral
{
    Q_OBJECT

public:
    explicit TfrmGridProcuraCell(QWidget *parent = nullptr);

    QComboBox *cbbCampo = nullptr;
    MaskEdit *medConteudo = nullptr;
    QGroupBox *grbTipo = nullptr;
    QRadioButton *rbtIdentico = nullptr;
    QRadioButton *rbtPrefixo = nullptr;
    QRadioButton *rbtParte = nullptr;

    // The grid searched and the column compared (-1: the row headers); boCota: the row
    // headers have the consultation sheet's layout.
    void setGrid(DecisionGrid *grid, int column, bool boCota);
    // The grid row where the next search starts.
    int inRow() const { return m_inRow; }

    // True when a row from startRow on matched: the grid goes there and the next search
    // starts below it.  mode "1" identical, "2" prefix, "3" part.
    bool LocateCell(const QString &text, const QString &mode, DecisionGrid *grid, int column, int startRow);

    void FormActivate();
    void sbtConfirmarClick() override;
    void cbbCampoChange();
    void reset();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString msg(const QString &key) const;
    QString fieldOf(const QString &header) const;

    DecisionGrid *m_grid = nullptr;
    int m_column = -1;
    bool m_boCota = true;
    int m_inRow = 0;
};

// Opens the find dialog over grid modally (a new one each call).
void ProcurarCell(DecisionGrid *grid, int column, bool boCota, QWidget *owner = nullptr);
