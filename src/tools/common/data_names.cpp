#include "tools/common/data_names.h"

DataNames namesOf(const Dataset& data) { return {data.attributes, data.classAttribute.labels}; }
