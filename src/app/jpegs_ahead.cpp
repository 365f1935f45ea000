#include "app/jpegs_ahead.h"

#include <memory>
#include <utility>

#include "win/jpeg_file.h"

namespace {

// As many as the machines it is made for have cores.
constexpr int kEncoders = 2;

}  // namespace

JpegsAhead::JpegsAhead(size_t count, Wanted wanted, Load load)
    : encoded_(
          count, AheadLimits{kEncoders, kAhead, kAheadBytes}, std::move(wanted),
          [load = std::move(load)]() -> MadeAhead<Encoded>::Make {
              // Made, used and let go on the encoder's thread, where its COM lives.
              auto jpeg = std::make_shared<win::JpegWriter>();
              return [jpeg, load](size_t index) -> std::optional<Encoded> {
                  const std::optional<Picture> picture = load(index);
                  if (!picture) {
                      return std::nullopt;
                  }
                  Encoded encoded;
                  encoded.Result = jpeg->Encode(*picture, encoded.Jpeg);
                  return encoded;
              };
          },
          [](const Encoded& encoded) { return encoded.Jpeg.size(); }) {}
