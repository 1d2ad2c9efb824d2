#include "quantities/SimDatasetValue.h"

template class DatasetValueBase<double, double, 12>;
template class DatasetValueBase<double, AComplex<double>, 11>;
template class DynamicDatasetValue<double, double, 12>;
template class DynamicDatasetValue<double, AComplex<double>, 11>;
template class SimDatasetValue<double, 12>;
template class SimDatasetValue<AComplex<double>, 11>;
