1;
/* a comment that never closes
2;
