// Each measurement turns its runs into rows of the table, next to its floor
// and goal.
#pragma once

#include "results.h"

void addLinkRows(const Runs& runs, std::vector<ResultRow>& rows);
void addFieldRows(const Runs& runs, std::vector<ResultRow>& rows);
void addReadAllRows(const Runs& runs, std::vector<ResultRow>& rows);
void addCliRows(const Runs& runs, std::vector<ResultRow>& rows);
void addWaitRows(const Runs& runs, std::vector<ResultRow>& rows);
void addLinkTestRows(const Runs& runs, std::vector<ResultRow>& rows);
void addPythonRows(const Runs& runs, std::vector<ResultRow>& rows);
