#include "printing/TextPrinter.h"

TextPrinter::~TextPrinter() = default;
