#pragma once

#include <QIcon>
#include <QString>

// The pictures of the base forms' command buttons, drawn in code: "incluir", "alterar",
// "excluir", "procurar", "imprimir", "confirmar", "cancelar", "salvar", "abrir",
// "visualizar", "pdf", "executar".  An unknown name gives an empty icon.
namespace FormIcons {

QIcon command(const QString &name);

} // namespace FormIcons
