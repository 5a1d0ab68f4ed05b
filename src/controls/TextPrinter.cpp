#include "controls/TextPrinter.h"

TextPrinter::~TextPrinter() = default;
