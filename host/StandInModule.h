#pragma once

#include <QStringList>
#include <QVariant>
#include <QWidget>

// The window of a module that this installation runs as a stand-in ("SUP01802"
// negotiation and simulation, "SUP01803" spreadsheet information): it lists the parameters
// it was opened with.  The print module "SUP07000" is a real report (QuotationPrint).
class StandInModule : public QWidget
{
    Q_OBJECT

public:
    StandInModule(const QString &module, const QVariantList &params, QWidget *parent = nullptr);

    // Whether a module name is one of the stand-ins.
    static bool isStandIn(const QString &module);
    // The parameters as the window lists them, one line each.
    static QStringList describe(const QVariantList &params);
};
