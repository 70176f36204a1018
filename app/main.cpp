// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FMain.h"
#include "toolkit/Application.h"

int main(int argc, char** argv) {
    // The program reads no command-line argument, so Qt gets none either
    // (it would act on -style, -reverse, -platform and the like): only the
    // program's name.
    int qtArgc = argc > 0 ? 1 : 0;
    char* qtArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    TApplication app(qtArgc, qtArgv);
    TfrmMain window;
    window.show();
    return app.exec();
}
