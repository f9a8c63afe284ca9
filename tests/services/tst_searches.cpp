#include "ConsisteGui.h"
#include "DataSetModel.h"
#include "ListSearchDialog.h"
#include "Pesquisa.h"
#include "QtUserInterface.h"
#include "ScriptedUserInterface.h"
#include "SearchDialog.h"
#include "TBtnPesquisa.h"
#include "Tabvalid.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

class tst_Searches : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listSearchMarksWithSpaceAndConfirmsWithEnter();
    void listSearchStartsWithListedKeysMarked();
    void listSearchCancelKeepsTheList();
    void listSearchOnEmptySourceShowsTheEmptyText();
    void singleSearchFiltersAndMakesTheRowCurrent();
    void searchButtonRunsItsHandlers();
    void validExPadsAndRefusesUnknownCodes();
    void indiceColFindsTheFieldsColumn();

private:
    // Runs action on the modal dialog of type T as soon as it is shown.
    template <typename T>
    void whenShown(std::function<void(T *)> action);

    ClientDataSet *m_regions = nullptr;
    DataSource *m_source = nullptr;
    QtUserInterface m_qtUi;
    ScriptedUserInterface m_scripted;
};

template <typename T>
void tst_Searches::whenShown(std::function<void(T *)> action)
{
    auto *timer = new QTimer(this);
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, [timer, action] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
}

void tst_Searches::init()
{
    m_regions = new ClientDataSet(this);
    m_regions->addFieldDef("CDREGIAO", FieldType::String, 3);
    m_regions->addFieldDef("NMREGIAO", FieldType::String, 30);
    m_regions->createDataSet();
    const QList<QPair<QString, QString>> rows{
        {"001", "Norte"}, {"003", "Sul"}, {"007", "Leste"}, {"010", "Oeste"}};
    for (const auto &row : rows) {
        m_regions->append();
        m_regions->fieldByName("CDREGIAO")->setAsString(row.first);
        m_regions->fieldByName("NMREGIAO")->setAsString(row.second);
        m_regions->post();
    }
    m_regions->first();
    m_source = new DataSource(this);
    m_source->setDataSet(m_regions);
    m_scripted.clear();
    setUserInterface(&m_qtUi);
}

void tst_Searches::cleanup()
{
    setUserInterface(nullptr);
    delete m_source;
    delete m_regions;
}

void tst_Searches::listSearchMarksWithSpaceAndConfirmsWithEnter()
{
    whenShown<ListSearchDialog>([](ListSearchDialog *dialog) {
        QTableView *view = dialog->view();
        QTest::keyClick(view, Qt::Key_Space);           // 001
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Space);           // 007
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Space);           // 010 marked ...
        QTest::keyClick(view, Qt::Key_Space);           // ... and unmarked
        QTest::keyClick(view, Qt::Key_Return);
    });
    QString list;
    QVERIFY(Pesqlista::PesquisaLista(m_source, "CDREGIAO", "Regiões|Nenhuma região", false, list));
    QCOMPARE(list, QStringLiteral("_001__007_"));
    QCOMPARE(Pesqlista::keysOfList(list), (QStringList{"001", "007"}));
}

void tst_Searches::listSearchStartsWithListedKeysMarked()
{
    whenShown<ListSearchDialog>([](ListSearchDialog *dialog) {
        QCOMPARE(dialog->markedKeys(), (QStringList{"003", "010"}));
        QTest::keyClick(dialog->view(), Qt::Key_Down);
        QTest::keyClick(dialog->view(), Qt::Key_Space); // unmarks 003
        QTest::keyClick(dialog->view(), Qt::Key_Enter);
    });
    QString list = QStringLiteral("_003__010_");
    QVERIFY(Pesqlista::PesquisaLista(m_source, "CDREGIAO", "Regiões", false, list));
    QCOMPARE(list, QStringLiteral("_010_"));
}

void tst_Searches::listSearchCancelKeepsTheList()
{
    whenShown<ListSearchDialog>([](ListSearchDialog *dialog) {
        QTest::keyClick(dialog->view(), Qt::Key_Space);
        QTest::keyClick(dialog->view(), Qt::Key_Escape);
    });
    QString list = QStringLiteral("_007_");
    QVERIFY(!Pesqlista::PesquisaLista(m_source, "CDREGIAO", "Regiões", false, list));
    QCOMPARE(list, QStringLiteral("_007_"));
}

void tst_Searches::listSearchOnEmptySourceShowsTheEmptyText()
{
    setUserInterface(&m_scripted);
    m_regions->emptyDataSet();
    QString list = QStringLiteral("_001_");
    QVERIFY(!Pesqlista::PesquisaLista(m_source, "CDREGIAO", "Regiões|Nenhuma região", false, list));
    QCOMPARE(list, QStringLiteral("_001_"));
    QCOMPARE(m_scripted.texts(ScriptedUserInterface::Kind::Message), QStringList{"Nenhuma região"});
    QCOMPARE(m_scripted.count(ScriptedUserInterface::Kind::ListSearch), 0);

    // Without an empty text nothing is shown.
    QVERIFY(!Pesqlista::PesquisaLista(m_source, "CDREGIAO", "Regiões", false, list));
    QCOMPARE(m_scripted.asked().size(), 1);
}

void tst_Searches::singleSearchFiltersAndMakesTheRowCurrent()
{
    whenShown<SearchDialog>([](SearchDialog *dialog) {
        QTest::keyClicks(dialog->filterEdit(), "lest");
        QCOMPARE(dialog->view()->model()->rowCount(), 1);
        QTest::keyClick(dialog->view(), Qt::Key_Return);
    });
    QCOMPARE(Pesquisa::Pesquisar(m_source, "Região|Não há região cadastrada.", false, true),
             QStringLiteral("007"));
    QCOMPARE(m_regions->fieldByName("NMREGIAO")->asString(), QStringLiteral("Leste"));

    whenShown<SearchDialog>([](SearchDialog *dialog) { QTest::keyClick(dialog->view(), Qt::Key_Escape); });
    QVERIFY(Pesquisa::Pesquisar(m_source, "Região", false, true).isEmpty());
    QCOMPARE(m_regions->fieldByName("CDREGIAO")->asString(), QStringLiteral("007")); // unchanged
}

void tst_Searches::searchButtonRunsItsHandlers()
{
    setUserInterface(&m_scripted);
    TBtnPesquisa button;
    button.setDataSource(m_source);
    button.setKeyField("CDREGIAO");
    button.setTitle("Região");
    QStringList calls;
    button.BeforePesq = [&calls](TBtnPesquisa &) { calls << "before"; };
    button.AfterPesq = [&calls, this](TBtnPesquisa &b) {
        calls << "after:" + b.key() + ":" + m_regions->fieldByName("NMREGIAO")->asString();
    };
    m_scripted.answerSearch(1);
    button.click();
    QCOMPARE(calls, (QStringList{"before", "after:003:Sul"}));

    calls.clear();
    button.click(); // nothing chosen: no AfterPesq
    QCOMPARE(calls, QStringList{"before"});

    calls.clear();
    button.BeforePesq = [](TBtnPesquisa &) { throw Abort(); };
    button.click(); // aborted silently, no search
    QVERIFY(calls.isEmpty());
    QCOMPARE(m_scripted.count(ScriptedUserInterface::Kind::Search), 2);
    QVERIFY(m_scripted.errors().isEmpty());
}

void tst_Searches::validExPadsAndRefusesUnknownCodes()
{
    setUserInterface(&m_scripted);
    QString code = QStringLiteral("7");
    QVERIFY(Tabvalid::ValidEx(m_source, 1, code, true, "CDREGIAO"));
    QCOMPARE(code, QStringLiteral("007"));
    QCOMPARE(m_regions->fieldByName("NMREGIAO")->asString(), QStringLiteral("Leste"));

    code = QStringLiteral("8");
    QVERIFY(!Tabvalid::ValidEx(m_source, 1, code, false, "CDREGIAO"));
    QVERIFY(m_scripted.errors().isEmpty());
    QVERIFY_THROWS_EXCEPTION(ConsisteError, Tabvalid::ValidEx(m_source, 1, code, true, "CDREGIAO"));
    QCOMPARE(m_scripted.errors().size(), 1);
}

void tst_Searches::indiceColFindsTheFieldsColumn()
{
    QTableView grid;
    DataSetModel model(m_source);
    model.setColumnFields({"NMREGIAO", "CDREGIAO"});
    grid.setModel(&model);
    QCOMPARE(Consiste::IndiceCol(&grid, "cdregiao"), 1);
    QCOMPARE(Consiste::IndiceCol(&grid, "NMREGIAO"), 0);
    QCOMPARE(Consiste::IndiceCol(&grid, "CDFORNECED"), -1);
}

QTEST_MAIN(tst_Searches)
#include "tst_searches.moc"
