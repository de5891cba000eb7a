// Engine error codes to the French texts of the status line.
#pragma once

#include <QString>

// The text for an engine error code; codes without a text of their own (0 and negative
// codes included) give "Impossible de lire le flux".
QString EngineErrorText(int code);

// The whole status-line message: "Erreur! " + text + ".".
QString EngineErrorMessage(int code);
