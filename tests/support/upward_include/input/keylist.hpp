#include "util/strings.hpp"
