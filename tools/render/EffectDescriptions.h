#pragma once
// One line that says what an effect of the table does, for the gallery's page.

#include <string>

#include "effects/EffectTable.h"

namespace tav {

std::string DescribeEffect(const EffectEntry& entry);

}  // namespace tav
