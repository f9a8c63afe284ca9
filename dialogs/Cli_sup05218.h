#pragma once

#include "TfrmRotiGeral.h"

#include <memory>

class DateEdit;
class QLineEdit;
class QuotationContext;
class SpinEdit;
class ValidityPeriod;

namespace Ui {
class TfrmGridValUltCot;
}

// The best-price loading "Última Cotação" (screen code SUP05218): asks for a validity
// period, as calendar weeks or dates, and has the server fill every item of the current
// quotation with the lowest non-zero price the same region, supplier, product and brand
// had in the quotations of that period (CargMelhorsPrs).  It changes nothing locally.
class TfrmGridValUltCot : public TfrmRotiGeral
{
    Q_OBJECT

public:
    explicit TfrmGridValUltCot(QuotationContext &context, QWidget *parent = nullptr);
    ~TfrmGridValUltCot() override;

    SpinEdit *speInicial = nullptr;
    DateEdit *depDtInicial = nullptr;
    QLineEdit *edtNmSemInicial = nullptr;
    SpinEdit *speFinal = nullptr;
    DateEdit *depDtFinal = nullptr;
    QLineEdit *edtNmSemFinal = nullptr;

    // True once the server loaded the best prices.
    bool loaded() const { return m_loaded; }

    // The first activation makes dates, weeks and weekday names agree.
    void FormActivate();
    // Both dates given, each a real date, the first not after the last.
    void vd_Data();
    // Loads the best prices of the period; the dialog closes when the server answers
    // nothing, and stays open with the server's text otherwise.
    void sbtConfirmarClick() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString msg(const QString &key) const;
    void fail(QWidget *control, const QString &key);
    void checkValidDate(DateEdit *date);

    std::unique_ptr<Ui::TfrmGridValUltCot> m_ui;
    QuotationContext &m_context;
    ValidityPeriod *m_period = nullptr;
    bool m_firstActivation = true;
    bool m_loaded = false;
};

// Opens the best-price loading for the current quotation modally (a new one each call),
// with the hourglass while it is created; true when the prices were loaded.  owner is the
// window it belongs to when the host has no main window.
bool CriaValUltCot(QuotationContext &context, QWidget *owner = nullptr);
