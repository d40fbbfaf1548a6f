#pragma once
// A bitmap of four plain quadrants (red, green / blue, yellow), 8 x 8 pixels,
// so that a stretched paint can be checked pixel by pixel.
#define IDB_TEST_QUADRANTS 901
