// The product's name, for the code and the resource scripts alike (no C++ in here).
#pragma once

#define QUENLOX_APP_TITLE "Quenlox Popup Software"
#define QUENLOX_PRODUCT_WORD "Quenlox"
