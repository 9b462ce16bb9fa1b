#include "ReaderCard.h"
