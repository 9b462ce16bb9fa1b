#pragma once

// Moved to the test-support library; kept for the tests that still include it here.
#include "../support/ModalDriver.h"
