#pragma once

// The quotation filter dialog (unit Cli_sup05201).
//
// TO BE REPLACED by the filter dialog TfrmFiltroGridCotacao: for now its creation
// procedure opens nothing, so that the workspace's start and close call it already.

// Opens the filter dialog modally, creating it (and loading its filter data) when it
// does not exist yet; later calls reuse it.
void CriaFiltroGridCotacao();

// Destroys the kept filter dialog and clears its reference, so that the next opening
// creates it afresh.
void releaseFiltroGridCotacao();
