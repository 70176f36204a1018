#pragma once
// What every dialog of the application shares: a fixed-size window with the
// system menu, centred on the screen when shown.

class QDialog;

void SetDialogFlags(QDialog* dialog, bool minimise = false);
