// A util file that reaches up into input: the layers check refuses it.
#include "input/keylist.hpp"
