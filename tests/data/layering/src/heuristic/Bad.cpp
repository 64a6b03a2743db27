#include "model/Model.h"
  #  include "report/TraceWriter.h"
