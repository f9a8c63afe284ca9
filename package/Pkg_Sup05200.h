#pragma once

#include <QVariant>
#include <QtGlobal>

#include <functional>

// The package's entry points, resolved by name by the host after it loads the library.
extern "C" {

// Opens the quotation workspace.  A null pointer or a null variant is a normal start (the
// filter dialog opens on the first call); a data packet of quotation rows starts the
// workspace on those quotations (consultation start).
Q_DECL_EXPORT void IniProc(const QVariant *Param);

// Run by the host right after loading the library and right before unloading it.
Q_DECL_EXPORT void PackageLoad();
Q_DECL_EXPORT void PackageUnload();

}

// Creates the workspace once, shows it and brings it forward.
void CriaGridCotaPrec();

namespace Pkg_Sup05200 {

// The height of the screen the workspace opens on: the primary screen's unless a
// provider is set (an empty provider restores the screen's).
void setScreenHeightProvider(std::function<int()> provider);
int screenHeight();

// What a normal start opens before the workspace is brought forward: the filter dialog
// unless another opener is set (an empty opener restores the filter dialog).
void setFilterDialogOpener(std::function<void()> opener);

} // namespace Pkg_Sup05200
