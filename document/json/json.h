#pragma once
// Convenience: the JSON value, parser and writers together.
#include "document/json/json_parse.h"
#include "document/json/json_value.h"
#include "document/json/json_write.h"
