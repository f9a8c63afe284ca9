#include "ModuleParams.h"

#include "HostMessages.h"
#include "ModuleLoader.h"
#include "TMessages.h"

#include <QMetaType>

ModuleParams::ModuleParams(QString module, QVariantList params, int count)
    : m_module(std::move(module))
    , m_params(std::move(params))
{
    if (m_params.size() != count)
        m_error = hostMessages().Msg(QStringLiteral("ParamQuantidade")).arg(count).arg(m_params.size());
}

bool ModuleParams::present(int index)
{
    return m_error.isEmpty() && index >= 0 && index < m_params.size();
}

void ModuleParams::refuse(int index, const char *expectedKey)
{
    m_error = hostMessages().Msg(QStringLiteral("ParamElemento"))
                  .arg(index + 1)
                  .arg(hostMessages().Msg(QLatin1String(expectedKey)));
}

void ModuleParams::text(int index)
{
    if (present(index) && m_params.at(index).metaType().id() != QMetaType::QString)
        refuse(index, "ParamTexto");
}

void ModuleParams::filledText(int index)
{
    if (present(index)
        && (m_params.at(index).metaType().id() != QMetaType::QString || m_params.at(index).toString().trimmed().isEmpty()))
        refuse(index, "ParamTextoPreenchido");
}

void ModuleParams::isTrue(int index)
{
    if (present(index) && (m_params.at(index).metaType().id() != QMetaType::Bool || !m_params.at(index).toBool()))
        refuse(index, "ParamVerdadeiro");
}

void ModuleParams::exactly(int index, const QString &value)
{
    if (present(index)
        && (m_params.at(index).metaType().id() != QMetaType::QString || m_params.at(index).toString() != value))
        refuse(index, value.isEmpty() ? "ParamVazio" : "ParamEspaco");
}

void ModuleParams::raiseIfInvalid() const
{
    if (!m_error.isEmpty())
        throw ModuleError(hostMessages().Msg(QStringLiteral("ModuloParamInvalidos")).arg(m_module, m_error));
}
