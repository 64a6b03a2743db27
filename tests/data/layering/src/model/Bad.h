#pragma once
#include <sys/stat.h>
#include <vector>
#include <heuristic/GraphEvaluation.h>
