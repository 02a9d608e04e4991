#USE# Tools; twice(4)
