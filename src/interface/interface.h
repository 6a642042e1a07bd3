#pragma once

#include "interface/interface_elem.h"
#include "interface/key_names.h"
#include "interface/window.h"
