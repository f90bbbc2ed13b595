// Includes one header through the include roots of the layer it is built against.
#include PELVORO_LAYER_PROBE
