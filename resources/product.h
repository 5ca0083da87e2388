// The product's name, for the code and the resource scripts alike (no C++ in here).
#pragma once

#define QUENLOX_APP_TITLE "Quenlox Popup Software"
#define QUENLOX_PRODUCT_WORD "Quenlox"
// The program's hidden main window: the installer knows the program runs by class and title.
#define QUENLOX_WINDOW_CLASS "TForm1"
