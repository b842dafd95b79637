// A stand-in executable: the tests read the version note the build gives it.
int main()
{
    return 0;
}
