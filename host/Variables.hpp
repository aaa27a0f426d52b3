// All variable classes of the host.
#pragma once

#include "host/ContainerVars.hpp"
#include "host/ScalarVars.hpp"
#include "host/Variable.hpp"
