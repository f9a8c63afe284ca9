// The products page driven as a user would, against a real server: its three grids
// loading through the packet caches, the supplier and row remembered across regions, how
// the cells are drawn, the detail strip, who may edit, the keys and characters each grid
// takes, every check made before a row is posted, the rows the form inserts, deletion,
// justifications at Confirm and Cancel.  Every quotation is written into the server's
// database by the test that needs it (ProductsPageData), over master data of its own.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DBGrid.h"
#include "DBGridDelegate.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "NetConnection.h"
#include "NumberEdit.h"
#include "PageControl.h"
#include "ProdMarcGridDelegate.h"
#include "ProductsPageData.h"
#include "ServerFixture.h"
#include "TADOIBQuery.h"
#include "TMessages.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScopeGuard>
#include <QTest>
#include <QRadioButton>
#include <QToolButton>

#include <functional>
#include <memory>
#include <stdexcept>

using Kind = ScriptedUserInterface::Kind;
using Item = ProductsPageData::Item;

class tst_Produtos : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    // Loading and caching
    void enteringThePageLoadsTheQuotation();
    void eachRegionAndSupplierIsFetchedOnce();
    void failedLoadStoresNothing();
    void anotherQuotationEmptiesTheCaches();
    void supplierAndRowRememberedAcrossRegions();
    // Drawing and the detail strip
    void priceCellColoursFollowTheRow();
    void alterationAndPriceListPictures();
    void discountStripOfTheCurrentRow();
    // Who may edit, keys and characters
    void concludedQuotationIsReadOnlyWhenSituationUsed();
    void columnsDropTheCharactersTheyDoNotTake();
    void gridKeysMoveBetweenGridsAndNeverDeleteRegionsOrSuppliers();
    void serverDataIsNeverEditedOrInsertedByTheUser();
    // Posting a row
    void priceFromZeroIsNoAlteration();
    void storedPriceChangeIsDescribed();
    void priceAndBrandChangeDescribedTogether();
    void negativePriceRefusedAndRowKept();
    void serverInconsistenciesListedInPositionOrder();
    void newRowWithEmptyPriceIsPostedAtZero();
    void insertedPairMayNotRepeatAnExistingOne();
    void severalBrandsChosenInsertOneRowEach();
    void afterPostTheQuotationIsKeyedInTheGrid();
    // Deleting, searching, justifying, confirming and cancelling
    void deletionAsksAndWarnsOfPriceLists();
    void priceListNumberShownOnTheAlterationColumn();
    void justificationSearchAndCopy();
    void confirmDemandsJustificationsWhenAudited();
    void confirmAsksForOtherRegionsOnlyWithSeveral();
    void cancelRestoresWhatTheServerSent();
    void supplierSearchNamesTypesAndKinds();
    void screenshotOfTheProductsPage();

private:
    TfrmGridCotaPrec *openWorkspace();
    // Opens the workspace on a quotation and shows its products page.
    TfrmGridCotaPrec *openOnQuotation(const QString &number);
    bool showProductsPage();
    // Calls of a method the server has logged so far.
    int serverCalls(const QString &method) const;
    static Item item(int region, int supplier, int product, int brand, double price);
    // Moves the grid's current cell as a user does: focus, then the column.
    void focusCell(DBGrid *grid, const QString &fieldName);
    // Presses a command button as the user does, once the enabling rule has seen the state.
    void press(QToolButton *button);
    static void type(const QString &text);
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    QString field(const char *name) const;
    bool locateItem(int product, int brand);
    // Sets a procurement parameter of the central branch until the end of the test; read
    // by the workspace at its first activation.
    void setParameter(const char *name, const QString &value);

    ServerFixture m_server;
    ProductsPageData m_data{m_server};
    std::unique_ptr<TfrmGridCotaPrec> m_form;
    QList<std::function<void()>> m_restore;
};

// --- fixture -------------------------------------------------------------------------------------

void tst_Produtos::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    QVERIFY2(m_data.ensureMasterData(&error), qPrintable(error));
}

void tst_Produtos::cleanup()
{
    if (m_form) {
        m_form->FormClose();
        m_form.reset();
    }
    m_server.ui().clear();
    m_data.removeQuotations();
    for (const auto &restore : std::as_const(m_restore))
        restore();
    m_restore.clear();
}

void tst_Produtos::cleanupTestCase()
{
    m_server.stop();
}

TfrmGridCotaPrec *tst_Produtos::openWorkspace()
{
    QString error;
    if (!m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error))
        qFatal("login failed: %s", qPrintable(error));
    m_form = std::make_unique<TfrmGridCotaPrec>();
    frmGridCotaPrec = m_form.get();
    boStCriado = true;
    m_form->FormCreate();
    m_form->resize(1100, 700);
    m_form->show();
    m_form->FormActivate();
    return m_form.get();
}

TfrmGridCotaPrec *tst_Produtos::openOnQuotation(const QString &number)
{
    TfrmGridCotaPrec *form = openWorkspace();
    form->AtualizaCotacao(QString(), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"),
                          QStringLiteral("T"), QDate(), QDate());
    if (!form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number) || !showProductsPage())
        return nullptr;
    return form;
}

bool tst_Produtos::showProductsPage()
{
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        return false;
    m_form->pgcPadrao->setActivePage(m_form->tshProdCotGrid);
    m_form->pgcPadraoChange();
    return m_form->cdsGridRegiao->active();
}

int tst_Produtos::serverCalls(const QString &method) const
{
    QFile log(QDir(m_server.folder()).filePath(QStringLiteral("server.log")));
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray needle = "method=" + method.toLatin1() + ' ';
    int calls = 0;
    for (const QByteArray &line : log.readAll().split('\n'))
        calls += line.contains(needle) ? 1 : 0;
    return calls;
}

Item tst_Produtos::item(int region, int supplier, int product, int brand, double price)
{
    Item i;
    i.region = region;
    i.supplier = supplier;
    i.product = product;
    i.brand = brand;
    i.price = price;
    return i;
}

void tst_Produtos::focusCell(DBGrid *grid, const QString &fieldName)
{
    if (!grid->hasFocus())
        grid->setFocus();
    QTRY_VERIFY(grid->hasFocus() || grid->isAncestorOf(QApplication::focusWidget()));
    grid->setSelectedField(fieldName);
}

void tst_Produtos::press(QToolButton *button)
{
    m_form->Habilita();
    QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    button->click();
}

void tst_Produtos::type(const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void tst_Produtos::key(Qt::Key k, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
}

QString tst_Produtos::field(const char *name) const
{
    return m_form->cdsGridProdMarc->fieldByName(QLatin1String(name))->asString();
}

bool tst_Produtos::locateItem(int product, int brand)
{
    return m_form->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"),
                                           QVariantList{m_data.product(product), m_data.brand(brand)});
}

void tst_Produtos::setParameter(const char *name, const QString &value)
{
    const QString column = QLatin1String(name);
    const QString before = m_server
                               .scalar(QStringLiteral("SELECT %1 FROM PARASUPRI WHERE CDFILIAL = '0001'").arg(column))
                               .toString();
    QString error;
    QVERIFY2(m_server.execute(QStringLiteral("UPDATE PARASUPRI SET %1 = :V WHERE CDFILIAL = '0001'").arg(column),
                              {{QStringLiteral("V"), value}}, &error),
             qPrintable(error));
    m_restore << [this, column, before] {
        m_server.execute(QStringLiteral("UPDATE PARASUPRI SET %1 = :V WHERE CDFILIAL = '0001'").arg(column),
                         {{QStringLiteral("V"), before}});
    };
}

// --- loading and caching ---------------------------------------------------------------------------

void tst_Produtos::enteringThePageLoadsTheQuotation()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 6), item(0, 1, 0, 1, 7),
                                     item(1, 2, 2, 2, 8)},
                                    &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QVERIFY(!m_server.ui().progressActive());

    // Regions by code, the first region's suppliers by name, the first supplier's rows by
    // product; the navigator bar shows the validity.
    QCOMPARE(form->cdsGridRegiao->recordCount(), 2);
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_data.region(0));
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 2);
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_data.supplier(0));
    QCOMPARE(form->cdsGridProdMarc->recordCount(), 2);
    QCOMPARE(field("CDARVPROD"), m_data.tree(0));
    QVERIFY(form->panDatVal->isVisible());
    QVERIFY(!form->lsbErrosCota->isVisible());
    QVERIFY(form->FonteAtual == form->dtsGridRegiao);

    // What the grids show: the registration through its mask, the titles of the page.
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("NRINSJURFORN"))->displayText(),
             QStringLiteral("99.000.000/0000-01"));
    const int price = form->dbgGridProdMarc->columnIndex(QStringLiteral("VRPRECUNIITM"));
    QCOMPARE(form->dbgGridProdMarc->dataSetModel()->headerData(price, Qt::Horizontal).toString(),
             QStringLiteral("Preço Unitário"));
    QCOMPARE(form->dbgGridProdMarc->gridDelegate()->describeCell(0, price).text, QStringLiteral("5,00000"));
    QVERIFY(!form->dbgGridRegiao->hasOption(DBGrid::Editing));
    QVERIFY(!form->dbgGridFornecedor->hasOption(DBGrid::Editing));
}

void tst_Produtos::eachRegionAndSupplierIsFetchedOnce()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 1, 0, 0, 5), item(1, 0, 1, 0, 5)}, &number, &error),
             qPrintable(error));
    const int before = serverCalls(QStringLiteral("GetGridFornecedor"));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    const int suppliers = serverCalls(QStringLiteral("GetGridFornecedor"));
    const int items = serverCalls(QStringLiteral("GetGridProdMarc"));
    QCOMPARE(suppliers, before + 1);

    // A -> B -> A with the keyboard: B is fetched, A comes back from the cache without
    // the progress animation.
    focusCell(form->dbgGridRegiao, QStringLiteral("NMREGIAO"));
    key(Qt::Key_Down);
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_data.region(1));
    QCOMPARE(serverCalls(QStringLiteral("GetGridFornecedor")), suppliers + 1);
    m_server.ui().clear();
    key(Qt::Key_Up);
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_data.region(0));
    QCOMPARE(serverCalls(QStringLiteral("GetGridFornecedor")), suppliers + 1);
    QCOMPARE(m_server.ui().count(Kind::ProgressStart), 0);
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 2);
    QCOMPARE(form->CacheGridFornecedor.size(), 2);

    // The same for a supplier's rows.
    const int itemsAfterRegions = serverCalls(QStringLiteral("GetGridProdMarc"));
    QVERIFY(itemsAfterRegions > items);
    focusCell(form->dbgGridFornecedor, QStringLiteral("NMFANTFORN"));
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    key(Qt::Key_Down);
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_data.supplier(1));
    QCOMPARE(serverCalls(QStringLiteral("GetGridProdMarc")), itemsAfterRegions + 1);
    QVERIFY(form->CacheGridProdMarc.contains({number, m_data.region(0), m_data.supplier(1)}));
}

void tst_Produtos::failedLoadStoresNothing()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(1, 1, 0, 0, 5)}, &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    bool failNext = true;
    form->netGridCotaPrec->onBusy = [&failNext](bool busy) {
        if (busy && std::exchange(failNext, false))
            throw std::runtime_error("connection lost");
    };
    const int before = serverCalls(QStringLiteral("GetGridFornecedor"));
    focusCell(form->dbgGridRegiao, QStringLiteral("NMREGIAO"));
    key(Qt::Key_Down);
    QCOMPARE(m_server.ui().errors().size(), 1);
    QVERIFY(!m_server.ui().progressActive());
    QVERIFY(!form->CacheGridFornecedor.contains({number, m_data.region(1)}));
    // Nothing of another region stays under the region that failed.
    QVERIFY(!form->cdsGridFornecedor->active());
    QVERIFY(form->RegistraPosicao);

    // Back and again: the region is asked for once more, and now shown.
    key(Qt::Key_Up);
    key(Qt::Key_Down);
    QCOMPARE(serverCalls(QStringLiteral("GetGridFornecedor")), before + 1);
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 1);
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_data.supplier(1));
    QCOMPARE(m_server.ui().errors().size(), 1);
}

void tst_Produtos::anotherQuotationEmptiesTheCaches()
{
    QString first, second, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &first, &error), qPrintable(error));
    QVERIFY2(m_data.createQuotation({item(1, 1, 1, 1, 5)}, &second, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(first);
    QVERIFY(form);
    QVERIFY(form->CacheGridFornecedor.contains({first, m_data.region(0)}));
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), second));
    // The page showing reloads the other quotation at once.
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_data.region(1));
    QVERIFY(!form->CacheGridFornecedor.contains({first, m_data.region(0)}));
    QCOMPARE(form->CacheGridFornecedor.size(), 1);
    QCOMPARE(field("CDARVPROD"), m_data.tree(1));
}

void tst_Produtos::supplierAndRowRememberedAcrossRegions()
{
    // Region 0: Alfa (P0/B0, P1/B0) and Beta (P0/B1, P2/B0).  Region 1: Beta (P0/B2,
    // P2/B3) and Gama.  Region 2: Alfa, and Beta without any price.
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 5), item(0, 1, 0, 1, 5),
                                     item(0, 1, 2, 0, 5), item(1, 1, 0, 2, 5), item(1, 1, 2, 3, 5),
                                     item(1, 2, 1, 0, 5), item(2, 0, 0, 0, 5), item(2, 1, 2, 0, 0)},
                                    &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    // Loading remembers nothing: only the user's moves count.
    QVERIFY(form->UltFornecedor.isEmpty());
    QVERIFY(!form->UltProdMarc.isValid());

    focusCell(form->dbgGridFornecedor, QStringLiteral("NMFANTFORN"));
    key(Qt::Key_Down);
    QCOMPARE(form->UltFornecedor, m_data.supplier(1));
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    key(Qt::Key_Down);
    QCOMPARE(form->UltProdMarc, QVariant(QVariantList{m_data.product(2), m_data.brand(0)}));

    // Region 1 has Beta: selected, and on it the remembered product under its other brand,
    // while the remembered pair stays.
    focusCell(form->dbgGridRegiao, QStringLiteral("NMREGIAO"));
    key(Qt::Key_Down);
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_data.supplier(1));
    QCOMPARE(field("CDPRODUTO"), m_data.product(2));
    QCOMPARE(field("CDMARCA"), m_data.brand(3));
    QCOMPARE(form->UltProdMarc, QVariant(QVariantList{m_data.product(2), m_data.brand(0)}));

    // Region 2 has Beta, but not as a quoted supplier: the first supplier is selected and
    // Beta stays remembered.
    key(Qt::Key_Down);
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_data.supplier(0));
    QCOMPARE(form->UltFornecedor, m_data.supplier(1));

    // Back in region 0 the pair itself is there again.
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_data.supplier(1));
    QCOMPARE(field("CDPRODUTO"), m_data.product(2));
    QCOMPARE(field("CDMARCA"), m_data.brand(0));
}

// --- drawing and the detail strip -------------------------------------------------------------------

void tst_Produtos::priceCellColoursFollowTheRow()
{
    Item zeroKeyed = item(0, 0, 0, 0, 0);
    zeroKeyed.keyedWhileEditing = true;
    Item keyed = item(0, 0, 1, 0, 4.5);
    keyed.keyedWhileEditing = true;
    QString number, error;
    QVERIFY2(m_data.createQuotation({zeroKeyed, keyed, item(0, 0, 2, 0, 3.25), item(0, 0, 3, 0, 0)}, &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    DBGrid *grid = form->dbgGridProdMarc;
    focusCell(grid, QStringLiteral("NMPRODUTO"));
    const int price = grid->columnIndex(QStringLiteral("VRPRECUNIITM"));
    DBGridDelegate *delegate = grid->gridDelegate();
    const QColor info = grid->color();
    const QColor zero = ProdMarcGridDelegate::zeroPriceColour();

    // A price of 0 wins over a price keyed while editing; black text, right-aligned.
    QCOMPARE(delegate->describeCell(0, price).background, zero);
    QCOMPARE(delegate->describeCell(1, price).background, QColor(255, 255, 0));
    QCOMPARE(delegate->describeCell(2, price).background, info);
    QCOMPARE(delegate->describeCell(3, price).background, zero);
    QCOMPARE(delegate->describeCell(2, price).foreground, QColor(Qt::black));
    QVERIFY(delegate->describeCell(2, price).alignment.testFlag(Qt::AlignRight));
    QCOMPARE(delegate->describeCell(2, price).text, QStringLiteral("3,25000"));

    // What is painted: the colour in the cell's pixels.
    auto paintedAt = [grid, price](int row) {
        const QModelIndex index = grid->dataSetModel()->index(row, price);
        const QRect cell = grid->visualRect(index);
        const QImage image = grid->viewport()->grab().toImage();
        return image.pixelColor(cell.left() + 3, cell.top() + 2);
    };
    QCOMPARE(paintedAt(0), zero);
    QCOMPARE(paintedAt(1), QColor(255, 255, 0));
    QCOMPARE(paintedAt(2), info);

    // The selected price cell keeps the grid's selection look.
    grid->setSelectedField(QStringLiteral("VRPRECUNIITM"));
    const DBGridCell selected = delegate->describeCell(0, price);
    QVERIFY(selected.selected);
    QVERIFY(selected.background != zero);
}

void tst_Produtos::alterationAndPriceListPictures()
{
    Item altered = item(0, 0, 0, 0, 5);
    altered.priceAltered = true;
    Item both = item(0, 0, 1, 0, 5);
    both.priceAltered = true;
    QString number, error, list;
    QVERIFY2(m_data.createQuotation({altered, both, item(0, 0, 2, 0, 5), item(0, 1, 0, 0, 0)}, &number, &error),
             qPrintable(error));
    QVERIFY2(m_data.putInPriceList(number, both, &list, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    DBGridDelegate *delegate = form->dbgGridProdMarc->gridDelegate();
    const int column = form->dbgGridProdMarc->columnIndex(QStringLiteral("IDPRECALT"));
    const QPixmap alteredPicture = TfrmGridCotaPrec::picture(QStringLiteral("imgPrecAlt"));
    const QPixmap listPicture = TfrmGridCotaPrec::picture(QStringLiteral("imgItmLisPrec"));
    QVERIFY(!alteredPicture.isNull() && !listPicture.isNull());

    const DBGridCell first = delegate->describeCell(0, column);
    QVERIFY(!first.drawText);
    QCOMPARE(first.pictures.size(), 1);
    QCOMPARE(first.pictures.at(0).pixmap.cacheKey(), alteredPicture.cacheKey());
    QCOMPARE(first.pictures.at(0).offset.x(), 2);
    const DBGridCell second = delegate->describeCell(1, column);
    QCOMPARE(second.pictures.size(), 2);
    QCOMPARE(second.pictures.at(1).pixmap.cacheKey(), listPicture.cacheKey());
    QCOMPARE(second.pictures.at(1).offset.x(), alteredPicture.width() + 2);
    QCOMPARE(second.pictures.at(1).transparentColor, QColor(128, 128, 0));
    QVERIFY(delegate->describeCell(2, column).pictures.isEmpty());

    // Quoted suppliers (a price above zero in the region) carry their picture.
    DBGridDelegate *suppliers = form->dbgGridFornecedor->gridDelegate();
    const int quoted = form->dbgGridFornecedor->columnIndex(QStringLiteral("IDFORNCOT"));
    QCOMPARE(suppliers->describeCell(0, quoted).pictures.size(), 1);
    QCOMPARE(suppliers->describeCell(0, quoted).pictures.first().pixmap.cacheKey(),
             TfrmGridCotaPrec::picture(QStringLiteral("imgCotacao")).cacheKey());
    QVERIFY(suppliers->describeCell(1, quoted).pictures.isEmpty());
    QVERIFY(!suppliers->describeCell(1, quoted).drawText);
    QCOMPARE(suppliers->describeCell(1, quoted + 2).foreground, QColor(Qt::black));

    // The three pictures are drawings of their own.
    const QImage a = alteredPicture.toImage(), b = listPicture.toImage(),
                 c = TfrmGridCotaPrec::picture(QStringLiteral("imgCotacao")).toImage();
    QVERIFY(a != b && b != c && a != c);
    QCOMPARE(a.size(), QSize(16, 16));
}

void tst_Produtos::discountStripOfTheCurrentRow()
{
    Item discounted = item(0, 0, 0, 1, 10);
    discounted.discount = 12.5;
    discounted.economic = 9.12345;
    discounted.economicPI = -1.5;
    discounted.quantity = 3.25;
    QString number, error;
    QVERIFY2(m_data.createQuotation({discounted, item(0, 0, 1, 0, 4)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    QCOMPARE(form->edtDesconto->text(), QStringLiteral("12,50 %"));
    QCOMPARE(form->nedDiferenca->text(), QStringLiteral("8,75000"));
    QCOMPARE(form->nedDiferenca->value(), 8.75);
    QCOMPARE(form->nedPrecoEcon->text(), QStringLiteral("9,12345"));
    QCOMPARE(form->nedQtde->text(), QStringLiteral("3,250"));
    QCOMPARE(form->edtQtdeDisp->text(), QStringLiteral("101"));
    QCOMPARE(form->nedPrecoEconPI->value(), -1.5);
    QCOMPARE(form->nedPrecoEconPI->palette().color(QPalette::Text), QColor(255, 0, 0));

    // The next row: no discount, no economic price PI below zero.
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    key(Qt::Key_Down);
    QCOMPARE(form->edtDesconto->text(), QStringLiteral("0,00 %"));
    QCOMPARE(form->nedDiferenca->value(), 4.0);
    QCOMPARE(form->nedPrecoEconPI->palette().color(QPalette::Text), QColor(Qt::black));
    QCOMPARE(form->edtQtdeDisp->text(), QStringLiteral("200"));
}

// --- who may edit, keys and characters ---------------------------------------------------------------

void tst_Produtos::concludedQuotationIsReadOnlyWhenSituationUsed()
{
    QString concluded, inProgress, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &concluded, &error, QStringLiteral("C")), qPrintable(error));
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &inProgress, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(concluded);
    QVERIFY(form);
    QCOMPARE(form->cdsParaSupri->fieldByName(QStringLiteral("IDUTISTATCOT"))->asString(), QStringLiteral("S"));
    DBGrid *grid = form->dbgGridProdMarc;
    const int brand = grid->columnIndex(QStringLiteral("CDMARCA"));
    focusCell(grid, QStringLiteral("VRPRECUNIITM"));
    QVERIFY(grid->isReadOnly());
    QCOMPARE(grid->column(brand).buttonStyle, ColumnButtonStyle::None);
    QVERIFY(form->FonteAtual != form->dtsGridProdMarc);
    type(QStringLiteral("9"));
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Browse);
    QCOMPARE(form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 5.0);

    // A quotation in progress is keyed on the same grid.
    form->pgcPadrao->setActivePage(form->tshCotacao);
    form->pgcPadraoChange();
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), inProgress));
    QVERIFY(showProductsPage());
    focusCell(grid, QStringLiteral("VRPRECUNIITM"));
    QVERIFY(!grid->isReadOnly());
    QCOMPARE(grid->column(brand).buttonStyle, ColumnButtonStyle::Ellipsis);
    QVERIFY(form->FonteAtual == form->dtsGridProdMarc);
    type(QStringLiteral("9"));
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Edit);
    form->dbgGridProdMarc->cancelEdit();
}

void tst_Produtos::columnsDropTheCharactersTheyDoNotTake()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5.5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    DBGrid *grid = form->dbgGridProdMarc;
    ClientDataSet *ds = form->cdsGridProdMarc;

    // Name, brand name and unit take nothing.
    for (const char *column : {"NMPRODUTO", "NMMARCA", "SGUNIDADE"}) {
        focusCell(grid, QLatin1String(column));
        type(QStringLiteral("A"));
        QVERIFY2(ds->state() == DataSetState::Browse, column);
        QVERIFY2(!grid->isEditorOpen(), column);
    }
    // The price takes neither signs nor exponents; the brand no sign.
    focusCell(grid, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("e+-E"));
    QCOMPARE(ds->state(), DataSetState::Browse);
    focusCell(grid, QStringLiteral("CDMARCA"));
    type(QStringLiteral("-"));
    QCOMPARE(ds->state(), DataSetState::Browse);

    // Typing a price: the justification column opens for the changed stored price and
    // takes a minus sign.
    focusCell(grid, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("6"));
    QCOMPARE(ds->state(), DataSetState::Edit);
    key(Qt::Key_Tab);
    QCOMPARE(grid->selectedField()->fieldName(), QStringLiteral("DSJUSTOPER"));
    QVERIFY(grid->hasOption(DBGrid::Editing));
    QCOMPARE(grid->column(grid->columnIndex(QStringLiteral("DSJUSTOPER"))).buttonStyle, ColumnButtonStyle::Ellipsis);
    type(QStringLiteral("-ok"));
    key(Qt::Key_Return);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(ds->state(), DataSetState::Browse);
    QCOMPARE(field("DSJUSTOPER"), QStringLiteral("-ok"));
    QCOMPARE(ds->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 6.0);

    // A row whose stored price did not change keeps the column closed.
    QVERIFY(ds->locate(QStringLiteral("CDPRODUTO"), m_data.product(0)));
    ds->mergeChangeLog();
    focusCell(grid, QStringLiteral("CDARVPROD"));
    focusCell(grid, QStringLiteral("DSJUSTOPER"));
    QVERIFY(!grid->hasOption(DBGrid::Editing));
    QCOMPARE(grid->column(grid->columnIndex(QStringLiteral("DSJUSTOPER"))).buttonStyle, ColumnButtonStyle::None);
    // The alteration column never edits.
    focusCell(grid, QStringLiteral("IDPRECALT"));
    QVERIFY(!grid->hasOption(DBGrid::Editing));
}

void tst_Produtos::gridKeysMoveBetweenGridsAndNeverDeleteRegionsOrSuppliers()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 5), item(0, 1, 0, 0, 5),
                                     item(1, 0, 0, 0, 5)},
                                    &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    focusCell(form->dbgGridRegiao, QStringLiteral("NMREGIAO"));
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(form->cdsGridRegiao->recordCount(), 2);
    key(Qt::Key_PageDown, Qt::AltModifier);
    QTRY_VERIFY(form->dbgGridFornecedor->hasFocus());
    QVERIFY(form->FonteAtual == form->dtsGridFornecedor);
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 2);
    key(Qt::Key_PageDown, Qt::AltModifier);
    QTRY_VERIFY(form->dbgGridProdMarc->hasFocus());
    QVERIFY(form->FonteAtual == form->dtsGridProdMarc);
    // Enter goes to the next row.
    form->dbgGridProdMarc->setSelectedField(QStringLiteral("NMPRODUTO"));
    key(Qt::Key_Return);
    QCOMPARE(form->cdsGridProdMarc->recNo(), 2);
    key(Qt::Key_PageUp, Qt::AltModifier);
    QTRY_VERIFY(form->dbgGridFornecedor->hasFocus());
    key(Qt::Key_PageUp, Qt::AltModifier);
    QTRY_VERIFY(form->dbgGridRegiao->hasFocus());
    QCOMPARE(m_server.ui().count(Kind::Message), 0);
    QCOMPARE(m_server.ui().errors(), QStringList());
}

void tst_Produtos::serverDataIsNeverEditedOrInsertedByTheUser()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    for (ClientDataSet *ds : {form->cdsGridRegiao, form->cdsGridFornecedor}) {
        QVERIFY_THROWS_EXCEPTION(Abort, ds->edit());
        QVERIFY_THROWS_EXCEPTION(Abort, ds->append());
        QCOMPARE(ds->state(), DataSetState::Browse);
    }
    // The product grid's Insert and Down keys do not add rows: only the include commands do.
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    key(Qt::Key_Insert);
    key(Qt::Key_Down);
    QCOMPARE(form->cdsGridProdMarc->recordCount(), 1);
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Browse);
    QCOMPARE(m_server.ui().errors(), QStringList());
}

// --- posting a row ---------------------------------------------------------------------------------

void tst_Produtos::priceFromZeroIsNoAlteration()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 0)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("7,5"));
    key(Qt::Key_Return);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Browse);
    QCOMPARE(form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 7.5);
    QCOMPARE(field("IDITMCOTPREC"), QStringLiteral("S"));
    QCOMPARE(field("ALTERADO"), QStringLiteral("N"));
    QCOMPARE(field("DSALTERITMCOT"), QString());
    // The row keyed is validated on the server and stays in the change log.
    QVERIFY(serverCalls(QStringLiteral("ValidaDados")) >= 1);
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 1);
    // No justification is needed for it.
    press(form->sbtConfirmar);
    QCOMPARE(m_server.ui().errors(), QStringList());
}

void tst_Produtos::storedPriceChangeIsDescribed()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5.5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("6"));
    key(Qt::Key_Return);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(field("IDITMCOTPREC"), QStringLiteral("S"));
    QCOMPARE(field("ALTERADO"), QStringLiteral("S"));
    QCOMPARE(field("DSALTERITMCOT"), QStringLiteral("Preço Unitário - de: 5,5 para: 6 /"));
    // The description is of the stored row, rebuilt at each post: a second change of the
    // same row still starts from 5,5; going back to it clears the description.
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("6,25"));
    key(Qt::Key_Return);
    QCOMPARE(field("DSALTERITMCOT"), QStringLiteral("Preço Unitário - de: 5,5 para: 6,25 /"));
    type(QStringLiteral("5,5"));
    key(Qt::Key_Return);
    QCOMPARE(field("DSALTERITMCOT"), QString());
    QCOMPARE(m_server.ui().errors(), QStringList());
}

void tst_Produtos::priceAndBrandChangeDescribedTogether()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5.5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    // Change: the row goes into edit on its brand.
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    press(form->sbtAlterar);
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Edit);
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("CDMARCA"));
    type(QStringLiteral("90002"));
    key(Qt::Key_Tab);
    // Leaving the brand looks it up.
    QCOMPARE(field("NMMARCA"), m_data.brandName(1));
    key(Qt::Key_Tab);
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("6"));
    key(Qt::Key_Return);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(field("ALTERADO"), QStringLiteral("S"));
    QCOMPARE(field("DSALTERITMCOT"), QStringLiteral("Preço Unitário - de: 5,5 para: 6 /"
                                                    "Alteração de Marca - de: 90001 para: 90002 /"));

    // An unknown brand is refused when the column is left, on the brand.
    QVERIFY(locateItem(0, 1));
    focusCell(form->dbgGridProdMarc, QStringLiteral("CDMARCA"));
    type(QStringLiteral("77"));
    key(Qt::Key_Tab);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Marca não cadastrada.")});
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("CDMARCA"));
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Edit);
    form->dbgGridProdMarc->cancelEdit();
}

void tst_Produtos::negativePriceRefusedAndRowKept()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5.5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    // A sign cannot be typed; a negative value that reaches the row is refused at the post.
    type(QStringLiteral("-3"));
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Edit);
    key(Qt::Key_Return);
    QCOMPARE(form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 3.0);
    QVERIFY(Consiste::runGuarded([&] {
        form->cdsGridProdMarc->edit();
        form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(-1);
    }));
    m_server.ui().clear();
    press(form->sbtConfirmar);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Preço Unitário deve ser maior ou igual que zero.")});
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Edit);
    QCOMPARE(form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), -1.0);
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("VRPRECUNIITM"));
}

void tst_Produtos::serverInconsistenciesListedInPositionOrder()
{
    // Brand 3 of product 3 with an expired qualification, and product 3 not registered for
    // supplier 1: flags 1 and 6.
    QString error;
    QVERIFY2(m_server.execute(QStringLiteral("UPDATE MARCPROD SET DTVALQUALMARC = '2001-01-01' WHERE CDPRODUTO = :P "
                                             "AND CDMARCA = :B"),
                              {{QStringLiteral("P"), m_data.product(3)}, {QStringLiteral("B"), m_data.brand(3)}},
                              &error),
             qPrintable(error));
    QVERIFY2(m_server.execute(QStringLiteral("DELETE FROM PRODFORN WHERE CDFORNECED = :F AND CDPRODUTO = :P"),
                              {{QStringLiteral("F"), m_data.supplier(1)}, {QStringLiteral("P"), m_data.product(3)}},
                              &error),
             qPrintable(error));
    m_restore << [this] {
        m_server.execute(QStringLiteral("UPDATE MARCPROD SET DTVALQUALMARC = :V WHERE CDPRODUTO = :P AND CDMARCA = :B"),
                         {{QStringLiteral("V"), QDate::currentDate().addDays(365).toString(Qt::ISODate)},
                          {QStringLiteral("P"), m_data.product(3)}, {QStringLiteral("B"), m_data.brand(3)}});
        m_server.execute(QStringLiteral("INSERT INTO PRODFORN (CDFORNECED, CDPRODUTO, IDQUALPRODFORN, DTVALQUALPF) "
                                        "VALUES (:F, :P, 'S', :V)"),
                         {{QStringLiteral("F"), m_data.supplier(1)}, {QStringLiteral("P"), m_data.product(3)},
                          {QStringLiteral("V"), QDate::currentDate().addDays(365).toString(Qt::ISODate)}});
    };
    QString number;
    QVERIFY2(m_data.createQuotation({item(0, 1, 0, 0, 5), item(0, 1, 3, 3, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    QVERIFY(!form->lsbErrosCota->isVisible());
    QVERIFY(locateItem(3, 3));
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("6"));
    key(Qt::Key_Return);
    QCOMPARE(m_server.ui().errors(),
             QStringList{QStringLiteral("Existem inconsistências nos dados da cotação. Verifique os itens.")});
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Edit);
    QCOMPARE(form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 6.0);
    QVERIFY(form->lsbErrosCota->isVisible());
    QStringList shown;
    for (int i = 0; i < form->lsbErrosCota->count(); ++i)
        shown << form->lsbErrosCota->item(i)->text();
    QCOMPARE(shown, (QStringList{QStringLiteral("Marca não qualificada ou com validade vencida."),
                                 QStringLiteral("Produto não cadastrado para o fornecedor.")}));
    QVERIFY(!m_server.ui().progressActive());

    // Another row has none of them: the list stays, empty.
    form->dbgGridProdMarc->cancelEdit();
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    key(Qt::Key_Up);
    QCOMPARE(field("CDPRODUTO"), m_data.product(0));
    QVERIFY(form->lsbErrosCota->isVisible());
    QCOMPARE(form->lsbErrosCota->count(), 0);
    // Cancelling an edit closes it.
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("7"));
    m_server.ui().answerYes();
    press(form->sbtCancelar);
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Browse);
    QVERIFY(!form->lsbErrosCota->isVisible());
    QVERIFY(!form->cdsErrosCota->active());
}

void tst_Produtos::newRowWithEmptyPriceIsPostedAtZero()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 1, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    form->mnuInsProd->trigger();
    ClientDataSet *ds = form->cdsGridProdMarc;
    QCOMPARE(ds->state(), DataSetState::Insert);
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("CDARVPROD"));
    // The product is typed; the brand and the quotation's keys come from the row it was
    // inserted from.
    QCOMPARE(field("CDMARCA"), m_data.brand(1));
    QCOMPARE(field("CDREGIAO"), m_data.region(0));
    QCOMPARE(field("CDFORNECED"), m_data.supplier(0));
    QCOMPARE(field("NRCOLEPRECO"), number);
    QCOMPARE(field("ALTERADO"), QStringLiteral("N"));
    QCOMPARE(form->dbgGridProdMarc->column(form->dbgGridProdMarc->columnIndex(QStringLiteral("CDARVPROD"))).buttonStyle,
             ColumnButtonStyle::Ellipsis);
    type(m_data.tree(2));
    key(Qt::Key_Tab);
    QCOMPARE(field("NMPRODUTO"), m_data.productName(2));
    QCOMPARE(field("CDPRODUTO"), m_data.product(2));
    ds->fieldByName(QStringLiteral("VRPRECUNIITM"))->clear();
    // Confirm posts the row, then stores it.
    press(form->sbtConfirmar);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(ds->state(), DataSetState::Browse);
    QCOMPARE(ds->recordCount(), 2);
    QVERIFY(locateItem(2, 1));
    QCOMPARE(ds->fieldByName(QStringLiteral("VRPRECUNIITM"))->value(), QVariant(0.0));
    // New rows are not price changes: stored as the row was sent.
    const QVariantMap stored = {{QStringLiteral("N"), number}, {QStringLiteral("P"), m_data.product(2)}};
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT VRPRECUNIITM FROM ITCOLETAPR WHERE NRCOLEPRECO = :N AND "
                                            "CDPRODUTO = :P"), stored).toDouble(),
             0.0);
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT IDITMCOTPREC || '|' || IDPRECALT FROM ITCOLETAPR WHERE "
                                            "NRCOLEPRECO = :N AND CDPRODUTO = :P"), stored).toString(),
             QStringLiteral("N|N"));
    QCOMPARE(ds->updateStatus(), UpdateStatus::Unmodified);

    // A product that is not quoted is refused on its column.
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    form->mnuInsProd->trigger();
    type(QStringLiteral("9999999"));
    key(Qt::Key_Tab);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Produto não cadastrado.")});
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("CDARVPROD"));
    form->dbgGridProdMarc->cancelEdit();
    QCOMPARE(ds->recordCount(), 2);
}

void tst_Produtos::insertedPairMayNotRepeatAnExistingOne()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 0, 1, 5), item(0, 0, 1, 2, 5)}, &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    ClientDataSet *ds = form->cdsGridProdMarc;
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    form->mnuInsMarca->trigger();
    QCOMPARE(ds->state(), DataSetState::Insert);
    QCOMPARE(field("CDARVPROD"), m_data.tree(0));
    QCOMPARE(field("NMPRODUTO"), m_data.productName(0));
    QCOMPARE(field("CDMARCA"), QString());
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("CDMARCA"));
    type(QStringLiteral("2"));
    key(Qt::Key_Tab);
    QCOMPARE(field("CDMARCA"), QStringLiteral("00002"));
    // "2" is brand 00002 of the demo, not registered for the product: the server says so at
    // the post.  The pair the grid already holds is refused before.
    ds->fieldByName(QStringLiteral("CDMARCA"))->setValue(m_data.brand(1));
    m_server.ui().clear();
    press(form->sbtConfirmar);
    QCOMPARE(m_server.ui().errors(),
             QStringList{QStringLiteral("Produto/marca já cadastrados para a região e fornecedor posicionados.")});
    QCOMPARE(ds->state(), DataSetState::Insert);
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("CDARVPROD"));
    form->dbgGridProdMarc->cancelEdit();
    QCOMPARE(ds->recordCount(), 3);

    // Changing an existing row to a pair the grid holds is left to the server.
    QVERIFY(locateItem(0, 1));
    QVERIFY(Consiste::runGuarded([&] {
        ds->edit();
        ds->fieldByName(QStringLiteral("CDMARCA"))->setValue(m_data.brand(0));
        ds->post();
    }));
    QCOMPARE(m_server.ui().count(Kind::Error), 1);
    QCOMPARE(ds->state(), DataSetState::Browse);
}

void tst_Produtos::severalBrandsChosenInsertOneRowEach()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    ClientDataSet *ds = form->cdsGridProdMarc;
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    form->mnuInsProd->trigger();
    type(m_data.tree(3));
    key(Qt::Key_Tab);
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("7"));
    focusCell(form->dbgGridProdMarc, QStringLiteral("CDMARCA"));
    QCOMPARE(ds->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 7.0);
    m_server.ui().answerListSearch(QStringList{m_data.brand(1), m_data.brand(2), m_data.brand(3)});
    key(Qt::Key_Return, Qt::ControlModifier); // the column's button
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(m_server.ui().count(Kind::ListSearch), 1);
    QCOMPARE(ds->state(), DataSetState::Browse);
    QCOMPARE(ds->recordCount(), 4);
    for (int brand : {1, 2, 3}) {
        QVERIFY2(locateItem(3, brand), qPrintable(m_data.brand(brand)));
        QCOMPARE(ds->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 7.0);
        QCOMPARE(field("NMMARCA"), m_data.brandName(brand));
        QCOMPARE(ds->updateStatus(), UpdateStatus::Inserted);
    }
    QCOMPARE(ds->changeCount(), 3);
}

void tst_Produtos::afterPostTheQuotationIsKeyedInTheGrid()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 0)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    QCOMPARE(form->cdsColetapr->fieldByName(QStringLiteral("IDTIPCOLREG"))->asString(), QStringLiteral("L"));
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("2"));
    key(Qt::Key_Return);
    QCOMPARE(form->cdsColetapr->fieldByName(QStringLiteral("IDTIPCOLREG"))->asString(), QStringLiteral("G"));
    // Pending with the items, not sent.
    QCOMPARE(form->cdsColetapr->changeCount(), 1);
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT IDTIPCOLREG FROM COLETAPR WHERE CDFILIAL = '0001' AND "
                                            "NRCOLEPRECO = :N"),
                             {{QStringLiteral("N"), number}})
                 .toString(),
             QStringLiteral("L"));
}

// --- deleting, searching, justifying, confirming and cancelling ------------------------------------------

void tst_Produtos::deletionAsksAndWarnsOfPriceLists()
{
    QString number, error, list;
    const Item listed = item(0, 0, 1, 0, 5);
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), listed, item(0, 0, 2, 0, 5), item(1, 0, 0, 0, 5)}, &number,
                                    &error),
             qPrintable(error));
    QVERIFY2(m_data.putInPriceList(number, listed, &list, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    ClientDataSet *ds = form->cdsGridProdMarc;
    const QString excl = TMessages::padrao().Msg(QStringLiteral("Excl"));
    const QString listWarning = form->msg(QStringLiteral("Del_Itens_Lista"));
    QCOMPARE(listWarning.split(u'\n').size(), 3);
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));

    // No to the standard question keeps the row.
    m_server.ui().answerNo();
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{excl});
    QCOMPARE(ds->recordCount(), 3);

    // A row outside price lists goes after Yes, without the warning; only the products'
    // cache is emptied.
    m_server.ui().clear();
    m_server.ui().answerYes();
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{excl});
    QCOMPARE(ds->recordCount(), 2);
    QCOMPARE(ds->changeCount(), 1);
    QVERIFY(form->CacheGridProdMarc.isEmpty());
    QVERIFY(!form->CacheGridFornecedor.isEmpty());

    // The row in a price list: warned after Yes; No keeps it, Yes deletes it.
    QVERIFY(locateItem(1, 0));
    m_server.ui().clear();
    m_server.ui().answerYes();
    m_server.ui().answerNo();
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_server.ui().texts(Kind::Message), (QStringList{excl, listWarning}));
    QCOMPARE(ds->recordCount(), 2);
    m_server.ui().clear();
    m_server.ui().answerYes();
    m_server.ui().answerYes();
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(ds->recordCount(), 1);
    QCOMPARE(m_server.ui().errors(), QStringList());

    // While a row is being edited the key does nothing, and asks nothing.
    m_server.ui().clear();
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("8"));
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(ds->state(), DataSetState::Edit);
    QCOMPARE(m_server.ui().count(Kind::Message), 0);
    form->dbgGridProdMarc->cancelEdit();
    // Nor on an empty grid.
    m_server.ui().answerYes();
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(ds->recordCount(), 0);
    m_server.ui().clear();
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_server.ui().count(Kind::Message), 0);
    // Nothing reached the server yet.
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE NRCOLEPRECO = :N"),
                             {{QStringLiteral("N"), number}})
                 .toInt(),
             4);
}

void tst_Produtos::priceListNumberShownOnTheAlterationColumn()
{
    QString number, error, list;
    Item listed = item(0, 0, 0, 0, 5);
    listed.priceAltered = true;
    QVERIFY2(m_data.createQuotation({listed, item(0, 0, 1, 0, 5)}, &number, &error), qPrintable(error));
    QVERIFY2(m_data.putInPriceList(number, listed, &list, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    focusCell(form->dbgGridProdMarc, QStringLiteral("IDPRECALT"));
    key(Qt::Key_Return);
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{QStringLiteral("Lista de Preço nº %1.").arg(list)});
    QCOMPARE(form->cdsGridProdMarc->recNo(), 1);
    // A row outside lists shows nothing; a double click does the same as Enter.
    m_server.ui().clear();
    form->cdsGridProdMarc->next();
    const QRect cell = form->dbgGridProdMarc->visualRect(form->dbgGridProdMarc->currentIndex());
    QTest::mouseDClick(form->dbgGridProdMarc->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(m_server.ui().count(Kind::Message), 0);
    form->cdsGridProdMarc->first();
    QTest::mouseDClick(form->dbgGridProdMarc->viewport(), Qt::LeftButton, {},
                       form->dbgGridProdMarc->visualRect(form->dbgGridProdMarc->currentIndex()).center());
    QCOMPARE(m_server.ui().count(Kind::Message), 1);
}

void tst_Produtos::justificationSearchAndCopy()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 5), item(0, 0, 2, 0, 5), item(0, 0, 3, 0, 5)},
                                    &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    ClientDataSet *ds = form->cdsGridProdMarc;
    // Three altered rows, the third with a justification of its own.
    for (int product : {0, 1, 2}) {
        QVERIFY(locateItem(product, 0));
        focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
        type(QStringLiteral("9"));
        key(Qt::Key_Return);
    }
    QVERIFY(locateItem(2, 0));
    QVERIFY(Consiste::runGuarded([&] {
        ds->edit();
        ds->fieldByName(QStringLiteral("DSJUSTOPER"))->setValue(QStringLiteral("Própria"));
        ds->post();
    }));
    QCOMPARE(m_server.ui().errors(), QStringList());

    // The first row's justification from the standard ones.
    QVERIFY(locateItem(0, 0));
    focusCell(form->dbgGridProdMarc, QStringLiteral("DSJUSTOPER"));
    m_server.ui().answerSearch(1);
    key(Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(m_server.ui().texts(Kind::Search), QStringList{QStringLiteral("Justificativa de Alteração")});
    QCOMPARE(field("DSJUSTOPER"), QStringLiteral("Renegociação com o fornecedor"));
    QVERIFY(Consiste::runGuarded([&] { ds->post(); }));
    form->Habilita();
    QVERIFY(form->sbtCopy->isEnabled());

    // Copied to the altered rows without one: the question names it.
    m_server.ui().answerAlert(MsgDlg::mrCaption2);
    form->sbtCopy->click();
    const QList<ScriptedUserInterface::Asked> asked = m_server.ui().asked();
    QCOMPARE(asked.last().kind, Kind::Alert);
    QCOMPARE(asked.last().text, QStringLiteral("Copiar a justificativa \"Renegociação com o fornecedor\" para"));
    QCOMPARE(asked.last().captions,
             (QStringList{QStringLiteral("&Todas"), QStringLiteral("&Não informadas"), QStringLiteral("&Cancelar")}));
    QVERIFY(!form->msgGridCotaPrec->contains(QStringLiteral("msgCopy")));
    QCOMPARE(field("CDPRODUTO"), m_data.product(0));
    auto justificationOf = [&](int product) {
        return ds->lookup(QStringLiteral("CDPRODUTO"), m_data.product(product), QStringLiteral("DSJUSTOPER")).toString();
    };
    QCOMPARE(justificationOf(1), QStringLiteral("Renegociação com o fornecedor"));
    QCOMPARE(justificationOf(2), QStringLiteral("Própria"));
    QCOMPARE(justificationOf(3), QString()); // not altered
    // "All" overwrites the altered rows' own; the rows keep their markers.
    m_server.ui().answerAlert(MsgDlg::mrCaption1);
    form->sbtCopy->click();
    QCOMPARE(justificationOf(2), QStringLiteral("Renegociação com o fornecedor"));
    QCOMPARE(justificationOf(3), QString());
    QCOMPARE(ds->lookup(QStringLiteral("CDPRODUTO"), m_data.product(2), QStringLiteral("ALTERADO")).toString(),
             QStringLiteral("S"));
    QCOMPARE(m_server.ui().errors(), QStringList());
}

void tst_Produtos::confirmDemandsJustificationsWhenAudited()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 5), item(0, 0, 2, 0, 0)}, &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    QCOMPARE(form->cdsParaSupri->fieldByName(QStringLiteral("IDAUDALTCOT"))->asString(), QStringLiteral("S"));
    ClientDataSet *ds = form->cdsGridProdMarc;
    for (int product : {0, 1, 2}) {
        QVERIFY(locateItem(product, 0));
        focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
        type(QStringLiteral("8"));
        key(Qt::Key_Return);
    }
    QVERIFY(locateItem(0, 0));
    QVERIFY(Consiste::runGuarded([&] {
        ds->edit();
        ds->fieldByName(QStringLiteral("DSJUSTOPER"))->setValue(QStringLiteral("Renegociado"));
        ds->post();
    }));
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    press(form->sbtConfirmar);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Justificativa deve ser informada.")});
    QCOMPARE(field("CDPRODUTO"), m_data.product(1));
    QCOMPARE(form->dbgGridProdMarc->selectedField()->fieldName(), QStringLiteral("DSJUSTOPER"));
    QVERIFY(!ds->controlsDisabled());
    QCOMPARE(ds->changeCount(), 3);
    // Justified: Confirm goes on and the three changes are stored, the two over stored
    // prices with their justification.
    m_server.ui().clear();
    QVERIFY(Consiste::runGuarded([&] {
        ds->edit();
        ds->fieldByName(QStringLiteral("DSJUSTOPER"))->setValue(QStringLiteral("Renegociado"));
    }));
    press(form->sbtConfirmar);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(ds->changeCount(), 0);
    QCOMPARE(field("CDPRODUTO"), m_data.product(1));
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE NRCOLEPRECO = :N AND "
                                            "VRPRECUNIITM = 8 AND DSJUSTOPER = 'Renegociado'"),
                             {{QStringLiteral("N"), number}})
                 .toInt(),
             2);
}

void tst_Produtos::confirmAsksForOtherRegionsOnlyWithSeveral()
{
    QString single, several, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &single, &error), qPrintable(error));
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(1, 0, 0, 0, 5)}, &several, &error), qPrintable(error));
    setParameter("IDAUDALTCOT", QStringLiteral("N"));
    TfrmGridCotaPrec *form = openOnQuotation(single);
    QVERIFY(form);
    const QString askRegions = form->msg(QStringLiteral("Atu_Reg"));
    // Not audited: the justification column is hidden and nothing demands it.
    QVERIFY(!form->dbgGridProdMarc->column(form->dbgGridProdMarc->columnIndex(QStringLiteral("DSJUSTOPER"))).visible);
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("6"));
    press(form->sbtConfirmar);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QVERIFY(!m_server.ui().texts(Kind::Message).contains(askRegions));
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 0);
    QCOMPARE(field("VRPRECUNIITM"), QStringLiteral("6"));

    // Two regions: the question comes.
    form->pgcPadrao->setActivePage(form->tshCotacao);
    form->pgcPadraoChange();
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), several));
    QVERIFY(showProductsPage());
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("6"));
    m_server.ui().clear();
    m_server.ui().answerNo();
    press(form->sbtConfirmar);
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{askRegions});
}

void tst_Produtos::cancelRestoresWhatTheServerSent()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    ClientDataSet *ds = form->cdsGridProdMarc;
    focusCell(form->dbgGridProdMarc, QStringLiteral("VRPRECUNIITM"));
    type(QStringLiteral("9"));
    key(Qt::Key_Return);
    QCOMPARE(ds->changeCount(), 1);
    type(QStringLiteral("4"));
    QCOMPARE(ds->state(), DataSetState::Edit);

    // The edit first: No keeps it, Yes cancels it and keeps the posted change.
    m_server.ui().answerNo();
    press(form->sbtCancelar);
    QCOMPARE(ds->state(), DataSetState::Edit);
    m_server.ui().answerYes();
    press(form->sbtCancelar);
    QCOMPARE(ds->state(), DataSetState::Browse);
    QCOMPARE(ds->changeCount(), 1);
    // Then the posted changes: the rows as the server sent them, from the cache; the
    // quotation's origin as the server holds it.
    const int calls = serverCalls(QStringLiteral("GetGridProdMarc"));
    m_server.ui().answerYes();
    press(form->sbtCancelar);
    QCOMPARE(ds->changeCount(), 0);
    QCOMPARE(ds->lookup(QStringLiteral("CDPRODUTO"), m_data.product(0), QStringLiteral("VRPRECUNIITM")).toDouble(), 5.0);
    QCOMPARE(ds->lookup(QStringLiteral("CDPRODUTO"), m_data.product(0), QStringLiteral("IDITMCOTPREC")).toString(),
             QStringLiteral("N"));
    QCOMPARE(serverCalls(QStringLiteral("GetGridProdMarc")), calls);
    QCOMPARE(form->cdsColetapr->changeCount(), 0);
    QCOMPARE(form->cdsColetapr->fieldByName(QStringLiteral("IDTIPCOLREG"))->asString(), QStringLiteral("L"));
    QCOMPARE(m_server.ui().errors(), QStringList());
}

void tst_Produtos::supplierSearchNamesTypesAndKinds()
{
    // Two suppliers of their own beside the test's: a person of the alternative kind and
    // one of another registration.
    QString error;
    const QStringList codes = {QStringLiteral("000000000000000009101"), QStringLiteral("000000000000000009102")};
    QVERIFY2(m_server.execute(QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, "
                                             "NMRAZSOCFORN, IDTIPOFORN, IDSITUCADA) VALUES (:C1, 'F', '99900011122', "
                                             "'Pessoa de teste', 'A', 'A'), (:C2, 'O', 'X-77', 'Outro de teste', "
                                             "'N', 'A')"),
                              {{QStringLiteral("C1"), codes.at(0)}, {QStringLiteral("C2"), codes.at(1)}}, &error),
             qPrintable(error));
    m_restore << [this, codes] {
        m_server.execute(QStringLiteral("DELETE FROM FORNECEDOR WHERE CDFORNECED IN (:C1, :C2)"),
                         {{QStringLiteral("C1"), codes.at(0)}, {QStringLiteral("C2"), codes.at(1)}});
    };
    TfrmGridCotaPrec *form = openWorkspace();
    form->AtualizaCotacao(QString(), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"),
                          QStringLiteral("T"), QDate(), QDate());
    press(form->sbtIncluir);
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Inc);
    form->rbtListForn->click();
    m_server.ui().answerListSearch(std::nullopt);
    form->sbtPesqForn->click();
    QCOMPARE(m_server.ui().count(Kind::ListSearch), 1);
    ClientDataSet *found = form->qryPesqForn->dataSet();
    auto shown = [found](const QString &code, const char *field) {
        return found->locate(QStringLiteral("CDFORNECED"), code)
                   ? found->fieldByName(QLatin1String(field))->displayText()
                   : QStringLiteral("(not listed)");
    };
    QCOMPARE(shown(codes.at(0), "IDTPIJURFORN"), QStringLiteral("Física"));
    QCOMPARE(shown(codes.at(0), "IDTIPOFORN"), QStringLiteral("Alternativo"));
    QCOMPARE(shown(codes.at(0), "NRINSJURFORN"), QStringLiteral("999.000.111-22"));
    QCOMPARE(shown(codes.at(1), "IDTPIJURFORN"), QStringLiteral("Outros"));
    QCOMPARE(shown(codes.at(1), "IDTIPOFORN"), QStringLiteral("Normal"));
    QCOMPARE(shown(m_data.supplier(0), "IDTPIJURFORN"), QStringLiteral("Jurídica"));
    QCOMPARE(shown(m_data.supplier(0), "NRINSJURFORN"), QStringLiteral("99.000.000/0000-01"));
}

void tst_Produtos::screenshotOfTheProductsPage()
{
    const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("SUP_SCREENSHOT_DIR names no folder");
    // On the demo data: the supplier with the most priced items in a region of several
    // suppliers of a quotation of COMP01 in progress.  One of its items goes into a price
    // list, another one's price was changed and justified.
    const QString supplierSql = QStringLiteral(
        "SELECT I.NRCOLEPRECO || '|' || I.CDREGIAO || '|' || I.CDFORNECED FROM ITCOLETAPR I "
        "JOIN COLETAPR C ON C.CDFILIAL = I.CDFILIAL AND C.NRCOLEPRECO = I.NRCOLEPRECO "
        "WHERE I.CDFILIAL = '0001' AND C.IDSITUCOLETA = 'A' AND C.CDOPERADOR = :O "
        "AND (SELECT COUNT(*) FROM COLEFORN F WHERE F.CDFILIAL = I.CDFILIAL AND F.NRCOLEPRECO = I.NRCOLEPRECO "
        "AND F.CDREGIAO = I.CDREGIAO) >= 3 "
        "GROUP BY I.NRCOLEPRECO, I.CDREGIAO, I.CDFORNECED "
        "ORDER BY SUM(CASE WHEN I.VRPRECUNIITM > 0 THEN 1 ELSE 0 END) DESC, COUNT(*) DESC, I.NRCOLEPRECO LIMIT 1");
    const QStringList chosen = m_server.scalar(supplierSql, {{QStringLiteral("O"), QStringLiteral("COMP01      ")}})
                                   .toString()
                                   .split(u'|');
    QVERIFY2(chosen.size() == 3, "the demo data has no region of several suppliers in a quotation in progress");
    const QVariantMap itemKey = {{QStringLiteral("N"), chosen.at(0)}, {QStringLiteral("R"), chosen.at(1)},
                             {QStringLiteral("F"), chosen.at(2)}};
    auto itemAt = [&](int offset) {
        return m_server
            .scalar(QStringLiteral("SELECT I.CDPRODUTO || '|' || I.CDMARCA FROM ITCOLETAPR I JOIN PRODUTO P ON "
                                   "P.CDPRODUTO = I.CDPRODUTO WHERE I.CDFILIAL = '0001' AND I.NRCOLEPRECO = :N AND "
                                   "I.CDREGIAO = :R AND I.CDFORNECED = :F ORDER BY P.CDARVPROD, I.CDMARCA LIMIT 1 "
                                   "OFFSET %1").arg(offset),
                    itemKey)
            .toString()
            .split(u'|');
    };
    const QStringList listed = itemAt(1), altered = itemAt(2);
    QString list, error;
    QVERIFY2(m_data.putInPriceList(chosen.at(0), {chosen.at(1), chosen.at(2), listed.at(0), listed.at(1)}, 10, &list,
                                   &error),
             qPrintable(error));
    QVERIFY2(m_server.execute(QStringLiteral("UPDATE ITCOLETAPR SET IDPRECALT = 'S', IDITMCOTPREC = 'S', "
                                             "DSJUSTOPER = 'Reajuste de tabela do fornecedor' WHERE CDFILIAL = '0001' AND "
                                             "NRCOLEPRECO = :N AND CDREGIAO = :R AND CDFORNECED = :F AND CDPRODUTO = :P "
                                             "AND CDMARCA = :M"),
                              {{QStringLiteral("N"), chosen.at(0)}, {QStringLiteral("R"), chosen.at(1)},
                               {QStringLiteral("F"), chosen.at(2)}, {QStringLiteral("P"), altered.at(0)},
                               {QStringLiteral("M"), altered.at(1)}},
                              &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(chosen.at(0));
    QVERIFY(form);
    form->UltFornecedor = chosen.at(2);
    QVERIFY(form->cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), chosen.at(1)));
    QVERIFY(form->cdsGridFornecedor->locate(QStringLiteral("CDFORNECED"), chosen.at(2)));
    QVERIFY(form->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"), QVariantList{listed.at(0), listed.at(1)}));
    focusCell(form->dbgGridProdMarc, QStringLiteral("NMPRODUTO"));
    form->Habilita();
    QTest::qWait(50);
    QDir().mkpath(folder);
    QVERIFY(form->grab().save(QDir(folder).filePath(QStringLiteral("products-page.png"))));
}

QTEST_MAIN(tst_Produtos)
#include "tst_produtos.moc"
