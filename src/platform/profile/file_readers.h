#pragma once

namespace platform {

// Who may read a settings file once it is written: everyone the umask allows (Everyone) or its
// owner alone (OwnerOnlyWhenNew) when the file is new, an existing one keeping its mode; or, for a
// file that holds a secret, its owner alone in every case (OwnerOnly), made so before the first
// byte is written. Windows keeps no such modes: there a file takes its folder's permissions.
enum class FileReaders { Everyone, OwnerOnlyWhenNew, OwnerOnly };

}  // namespace platform
