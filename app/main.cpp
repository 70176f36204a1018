// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FMain.h"
#include "toolkit/Application.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TfrmMain window;
    window.show();
    return app.exec();
}
