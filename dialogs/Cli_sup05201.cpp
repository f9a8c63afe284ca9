#include "Cli_sup05201.h"

// TO BE REPLACED with the filter dialog: nothing to open or release yet.

void CriaFiltroGridCotacao()
{
}

void releaseFiltroGridCotacao()
{
}
