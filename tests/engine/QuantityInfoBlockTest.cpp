#include "RepTest.h"
