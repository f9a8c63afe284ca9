#pragma once

#include <QIcon>
#include <QString>

// The pictures of the base forms' command buttons: "incluir", "alterar", "excluir",
// "procurar", "imprimir", "confirmar", "cancelar", "salvar", "abrir", "visualizar", "pdf",
// "executar".  They are SVG files compiled into the resources library (":/icons/form-*.svg")
// and scale to the button's icon size.  An unknown name gives an empty icon.
namespace FormIcons {

QIcon command(const QString &name);

} // namespace FormIcons
