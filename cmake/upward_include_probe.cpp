// Compiled by the layer tests only: a unit that includes the processing unit, which the
// processing layer's own view must allow and the market layer's view must refuse.
#include "process/ProcessIO.h"
