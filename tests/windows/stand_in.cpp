// A program that does nothing: built only to carry a version resource into a
// test's game folder, under the game's executable name.
int main() {
    return 0;
}
