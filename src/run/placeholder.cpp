// Removed once the folder holds its first source file.
