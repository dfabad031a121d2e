#include "ui/AnalysisCharts.h"
