// Splitting sources that a careless or hostile world hands over.

#include "CJobFiles.h"
