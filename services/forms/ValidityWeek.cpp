#include "ValidityWeek.h"

#include "Consiste.h"
#include "DateEdit.h"
#include "SpinEdit.h"

#include <QLineEdit>

ValidityWeek::ValidityWeek(DateEdit *date, SpinEdit *week, QLineEdit *dayName, QChar kind)
    : m_date(date)
    , m_week(week)
    , m_dayName(dayName)
    , m_kind(kind)
{
}

void ValidityWeek::setWeek(int week)
{
    m_settingWeek = true;
    m_week->setValue(week);
    m_settingWeek = false;
}

void ValidityWeek::weekChanged()
{
    if (m_week->hasFocus())
        applyWeek();
}

void ValidityWeek::applyWeek()
{
    if (m_settingWeek)
        return;
    if (m_week->isEmpty()) {
        m_date->clear();
        return;
    }
    // The year the date's week belongs to: typing "12" passes through week 1, whose first
    // day may lie in December of the year before, and week 12 is of the week's year.
    const int year = Consiste::AnoSemana(m_date->isValidDate() ? m_date->date() : QDate::currentDate());
    int week = m_week->text().trimmed().toInt();
    // "0" is the start of a week being typed ("05"): no week yet, the date stays.
    if (week < 1)
        return;
    if (week > 53)
        week = 53;
    // A year without a week 53 ends with week 52.
    if (week == 53 && Consiste::SemanasAno(year) < 53)
        week = 52;
    if (week != m_week->text().trimmed().toInt())
        setWeek(week);
    m_date->setDate(Consiste::DataSemana(week, m_kind, year));
}

void ValidityWeek::dateChanged()
{
    const QDate date = m_date->date();
    m_dayName->setText(Consiste::NomeSemana(date));
    if (m_settingWeek)
        return;
    m_settingWeek = true;
    if (m_date->hasFocus() || !date.isValid())
        m_week->clear();
    else if (!m_week->hasFocus())
        m_week->setValue(Consiste::NumeroSemana(date));
    m_settingWeek = false;
}

void ValidityWeek::dateLeft()
{
    if (m_date->isValidDate())
        setWeek(Consiste::NumeroSemana(m_date->date()));
}
