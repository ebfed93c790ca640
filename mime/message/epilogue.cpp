#include "mime/message/epilogue.h"

#include "mime/message/textblock.h"

namespace Orvanta::Mime {

size_t Epilogue::encode(const Capabilities&, Filter::Result* out, bool persistent) const {
    return TextBlock(_data, _size).encode(out, persistent);
}

const Epilogue& empty_epilogue() {
    static const Epilogue empty;
    return empty;
}

} // namespace Orvanta::Mime
